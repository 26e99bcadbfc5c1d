#pragma once

#include <string>
#include <string_view>

namespace patch::check {

/// Creates the file `name` (permissions 0666 less the umask) or rewrites an existing one in
/// place, writes `text` and closes it. Every step is checked, the close included; a failure
/// throws patch::failure with the file's name and the system's reason. A file-size limit is
/// reported as "File too large", not by the signal.
void write_output_file(const std::string& name, std::string_view text);

}  // namespace patch::check
