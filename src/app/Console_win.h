#pragma once
// Where a copy run with a command writes its lines.
#include <functional>
#include <string>

namespace stowly {

// A writer of lines to the standard output this process inherited (a redirect, a
// pipe of a script), else to the console of the program that started it; with
// neither, the lines go nowhere.
std::function<void(const std::string&)> ConsoleLineWriter();

} // namespace stowly
