#pragma once

#include <exception>

// A refusal (a failed folder check, "Annuler" in the save prompt) that ends the whole command
// without a word: the command guard of the windows swallows it.
class Abort : public std::exception {
public:
    const char *what() const noexcept override { return "aborted"; }
};
