#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace tockamo::testing {

// A file's bytes, or nothing when it is not a regular file that can be read.
std::optional<std::string> ReadFile(const std::string& path);
// Writes `contents` to `path`, replacing what stood there.
void WriteFile(const std::string& path, const std::string& contents);
// The text after "<field>:" in /proc/<pid>/status, blanks and all; empty when
// there is no such field or process.
std::string StatusField(pid_t pid, const std::string& field);

}
