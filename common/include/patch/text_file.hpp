#pragma once

#include <string>
#include <string_view>

namespace patch {

/// Creates the file `name` (permissions 0666 less the umask) or rewrites an existing one in
/// place (its owner, permissions and hard links stay; none of its old content survives), writes
/// `text` and closes it. When the open fails no byte is written; when a write fails part-way the
/// file keeps a leading part of `text`. Every step is checked, the close included; a failure
/// throws patch::failure with the file's name and the system's reason. A file-size limit is
/// reported as "File too large", not by the signal.
void write_text_file(const std::string& name, std::string_view text);

}  // namespace patch
