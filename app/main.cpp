#include <memory>

#include "app/form1.h"
#include "platform/backend.h"

int main(int argc, char** argv) {
  std::unique_ptr<velloran::platform::Backend> backend =
      velloran::platform::CreateBackend(argc, argv);
  velloran::Form1 form(backend->GetControls());
  return backend->Run(form);
}
