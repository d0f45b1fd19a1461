#pragma once

namespace plat::sys {

// Qt keeps its sockets and locks in the user's runtime folder, named by
// XDG_RUNTIME_DIR, which a login session provides. Without one (root on a
// console, a cron job, su) Qt falls back to a folder of its own and warns
// about it on standard error, in every run of the command line. Called before
// the Qt application object exists, this sets XDG_RUNTIME_DIR, when it is
// unset or empty, to the folder Qt would take (runtime-USER in the temporary
// folder), made 0700 and checked to be the user's own real folder; when that
// one belongs to someone else or is not a folder, a fresh private folder is
// made instead. Nothing changes when XDG_RUNTIME_DIR is set.
void provideRuntimeFolder();

} // namespace plat::sys
