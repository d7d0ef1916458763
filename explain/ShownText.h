// How the explain tool shows texts that came from outside: between "<" and ">", which no file
// name can hold, so blanks at either end stay visible.
#pragma once

#include <string>

// The text in angle brackets, control bytes written as \xNN.
std::string Shown(const std::string& text);

// A system error code with what it means for a file, key or program, where that is known.
std::string ErrorText(unsigned long error);
