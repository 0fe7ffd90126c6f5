#pragma once

#include <expected>
#include <string>

namespace shopkeeper {

// An error that carries a message the user can read; the GUI shows it, the CLI prints it.
struct Error
{
    std::string message;
};

template <typename T> using Result = std::expected<T, Error>;

// For operations that only succeed or fail.
using Status = std::expected<void, Error>;

inline std::unexpected<Error> fail(std::string message)
{
    return std::unexpected<Error>(Error{std::move(message)});
}

} // namespace shopkeeper
