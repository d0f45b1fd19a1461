#pragma once

namespace zelta {

class TZelta;

// Connects the main window's commands to the windows they open. Each window of
// the program registers its launcher here, which enables its menu entry and
// toolbar button:
//
//   zelta.setLauncher(TZelta::Command::Orientadores, [](AppContext& ctx) {
//       TFrm_Orientadores form(ctx, ctx.Zelta);
//       plat::ui::showModal(&form);
//   });
void registerWindowCommands(TZelta& zelta);

} // namespace zelta
