#pragma once
// The program's answers to the engine's questions: its dialogs, installed at start.

namespace EngineDialogs {
void install();
}
