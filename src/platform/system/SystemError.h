#pragma once

#include <QString>

namespace plat::sys {

// The text of a system error number for a message to the user: Portuguese for
// the errors met when files are read and written (a missing file, a full
// disk, a permission, a network file gone), the number for the rarer ones.
QString systemErrorText(int error);

// The same for a failed write, where a file-size limit needs saying that the
// limit is the user's or the file system's, not the disk's.
QString writeErrorText(int error);

} // namespace plat::sys
