// The GNU C++ runtime linked statically into each control, without the parts the controls never
// use. Its error helpers all live in one object together with the standard exception classes
// that hold strings, which pull in a second string implementation; its default terminate handler
// pulls in the symbol demangler and stdio to print the exception's name on a console no control
// has. Defining those few helpers here keeps those objects out of the link, some 140 KB of each
// control DLL.
//
// What the controls see stays the same: out of memory is still std::bad_alloc, which they turn
// into E_OUTOFMEMORY; a string longer than its maximum size cannot be allocated either, and is
// reported as out of memory too; the remaining helpers report programming errors (a substring
// past the end, a string from a null pointer), which the controls' catch-all handlers answer as
// before and which otherwise end in std::terminate as before.
// Only the mingw-w64 toolchain's runtime has these hooks.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

#if defined(__MINGW32__) && defined(__GLIBCXX__)

namespace std {

// Every helper of the runtime's object that holds them, so that none of it is linked.
[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_array_new_length(); }
[[noreturn]] void __throw_length_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_bad_cast() { throw bad_cast(); }
[[noreturn]] void __throw_bad_typeid() { throw bad_typeid(); }
[[noreturn]] void __throw_bad_exception() { throw bad_exception(); }
[[noreturn]] void __throw_logic_error(const char*) { throw exception(); }
[[noreturn]] void __throw_domain_error(const char*) { throw exception(); }
[[noreturn]] void __throw_invalid_argument(const char*) { throw exception(); }
[[noreturn]] void __throw_out_of_range(const char*) { throw exception(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw exception(); }
[[noreturn]] void __throw_runtime_error(const char*) { throw exception(); }
[[noreturn]] void __throw_range_error(const char*) { throw exception(); }
[[noreturn]] void __throw_overflow_error(const char*) { throw exception(); }
[[noreturn]] void __throw_underflow_error(const char*) { throw exception(); }

}  // namespace std

namespace __gnu_cxx {

// No console to print to: end the process as the default handler does after printing.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
#endif
