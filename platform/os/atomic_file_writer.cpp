// AtomicFileWriter (platform/files.h) over the file replacer of this system.
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

#ifdef _WIN32
#include "platform/os/win32/file_replacer.h"
#else
#include "platform/os/posix/file_replacer.h"
#endif

namespace velloran::platform {

#ifdef _WIN32
using SystemFileReplacer = win32::FileReplacer;
#else
using SystemFileReplacer = posix::FileReplacer;
#endif

struct AtomicFileWriter::Impl {
  explicit Impl(const std::string& target_path) : replacer(target_path) {}
  SystemFileReplacer replacer;
};

AtomicFileWriter::AtomicFileWriter(const std::string& target_path)
    : impl_(std::make_unique<Impl>(target_path)) {}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Write(std::string_view bytes) { impl_->replacer.Write(bytes); }

void AtomicFileWriter::Commit() { impl_->replacer.Commit(); }

}  // namespace velloran::platform
