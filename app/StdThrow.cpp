// Replaces libstdc++'s throw helpers behind its containers and conversions.
// Its own helpers build std::logic_error and its kin, whose message is a
// copy-on-write string, and that links a second std::string implementation
// (over 50 KB with what it pulls in).  Nothing in the program catches those
// types by name: the handlers catch std::exception and show what(), and the
// text is the library's own, so what a person sees is the same.
#include <cstdarg>
#include <exception>
#include <functional>
#include <new>
#include <string>
#include <typeinfo>
#include <utility>

namespace {

class LibraryError : public std::exception {
public:
    explicit LibraryError(std::string what) : FWhat(std::move(what)) { }
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    std::string FWhat;
};

} // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_domain_error(const char* what) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_runtime_error(const char* what) { throw LibraryError(what); }
void __throw_range_error(const char* what) { throw LibraryError(what); }
void __throw_overflow_error(const char* what) { throw LibraryError(what); }
void __throw_underflow_error(const char* what) { throw LibraryError(what); }

// The library's formats use only %s and %zu.
void __throw_out_of_range_fmt(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string what;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            what += va_arg(args, const char*);
            ++p;
        } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            what += std::to_string(va_arg(args, size_t));
            p += 2;
        } else {
            what += *p;
        }
    }
    va_end(args);
    throw LibraryError(what);
}

} // namespace std
