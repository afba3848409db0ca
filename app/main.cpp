#include <memory>

#include "app/form1.h"
#include "app/ui_description.h"
#include "platform/backend.h"

int main(int argc, char** argv) {
  const std::unique_ptr<velloran::platform::Backend> backend =
      velloran::platform::CreateBackend(argc, argv, velloran::kUiDescription);
  if (!backend) return 1;  // the toolkit has told the user why it could not start
  velloran::Form1 form(backend->GetControls());
  return backend->Run(form);
}
