// Replaces the C++ runtime's verbose terminate handler.  That handler writes the
// demangled type of an escaping exception to stderr, which a GUI program does
// not have, and it links in the demangler and a printf engine (70 KB, a fifth
// of the program).  Every window procedure and thread entry catches already,
// and so does the program's entry, so whatever still reaches terminate ends
// the process as abort would.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
