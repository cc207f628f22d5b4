#pragma once
// The program's answers to the engine's questions, installed at start.

namespace EnginePrompts {
void install();
}
