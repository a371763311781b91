#pragma once
#include <stdexcept>
#include <string>

// An error with a message for the user, in code page 932 bytes.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) { }
    std::string Message() const { return what(); }
};
