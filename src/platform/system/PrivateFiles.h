#pragma once

#include "platform/system/FileNames.h"

#include <QString>

namespace plat::sys {

// The register, its copies, the submission file and the reports hold personal
// data: what the program creates for them is private to the user (files 0600,
// folders 0700), whatever the process's umask. The user may open them up;
// the program never widens a mode, and never tightens what exists.

// Makes the folder and its missing parents; each folder made here is 0700,
// folders that exist keep their mode. False when a folder could not be made.
bool makePrivatePath(const QString& path);

// Creates an empty file 0600 when nothing is at the path, so that a library
// that creates the file next (SQLite opens an empty file as a new database,
// and gives its journal and shared-memory files the database file's mode)
// keeps it private. An existing file is left as it is.
void createPrivateFile(const QString& path);

} // namespace plat::sys
