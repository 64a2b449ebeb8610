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
#include <windows.h>

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

// The thread library's object that implements threads (some 30 KB with the condition variables,
// read-write locks and scheduling it brings) is linked only for the few calls the runtime makes
// for its one-time initialisation and its per-thread exception state. The controls start no
// threads of their own; these calls are all they need of it.
extern "C" {

// Any thread may be first: the others wait until the call has returned.
int pthread_once(long* once, void (*func)(void)) {
    enum : long { kNotRun = 0, kRunning = 1, kDone = 2 };
    if (InterlockedCompareExchange(once, kRunning, kNotRun) == kNotRun) {
        func();
        InterlockedExchange(once, kDone);
        return 0;
    }
    while (InterlockedCompareExchange(once, kDone, kDone) != kDone) Sleep(0);
    return 0;
}

// Thread-specific values in the system's thread-local slots. The runtime's per-thread exception
// state stays allocated when a thread that threw ends; it is a few bytes per such thread.
int pthread_key_create(unsigned* key, void (*)(void*)) {
    const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) return 11;  // EAGAIN
    *key = slot;
    return 0;
}

int pthread_key_delete(unsigned key) { return TlsFree(key) ? 0 : 22; }  // EINVAL

void* pthread_getspecific(unsigned key) {
    const DWORD error = GetLastError();  // callers may rely on it staying as it was
    void* value = TlsGetValue(key);
    SetLastError(error);
    return value;
}

int pthread_setspecific(unsigned key, const void* value) {
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : 22;
}

}  // extern "C"
#endif
