#pragma once

namespace zelta {

class TZelta;

// Connects the main window's commands to the windows they open. Each window of
// the program registers its launcher here, which enables its menu entry and
// toolbar button:
//
//   zelta.setLauncher(TZelta::Command::Orientadores, [](Sessao& sessao, QWidget* parent) {
//       TFrm_Orientadores form(sessao, parent);
//       plat::ui::showModal(&form);
//   });
void registerWindowCommands(TZelta& zelta);

} // namespace zelta
