#pragma once
#include <exception>
#include <string>
#include <utility>

// An error with a message for the user, in code page 932 bytes.  Not a
// std::runtime_error: that one keeps its message in the C++ runtime's old
// copy-on-write string, which would link a second std::string.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) { }
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const { return FMessage; }

private:
    std::string FMessage;
};
