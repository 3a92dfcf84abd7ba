// The few pieces of the C++ runtime that Kestrova.exe takes from here rather
// than from the static libstdc++.
//
// The program never catches an exception: a std::bad_alloc or length_error
// that escaped used to reach std::terminate and then abort(). The throwing
// helpers below go to abort() directly, so the exe no longer carries
// libstdc++'s exception classes, the copy-on-write strings behind them, the
// DWARF unwinder and the demangler: about 190 KB of the 32-bit file.
//
// If a later change makes the linker pull libstdc++'s own copy of these
// helpers (its functexcept.o), the link fails with "multiple definition" of
// one of them: then define the newly needed helper here as well.
#include <cstdlib>
#include <new>
#include <string>

namespace __gnu_cxx {

// The default handler demangles the exception's type name for a message on
// stderr, which a GUI program does not have.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
void __throw_bad_function_call() { abort(); }

}  // namespace std

// libstdc++ keeps std::string's members in one archive member whose unwind
// tables keep all of them, used or not; instantiated here, each member is a
// section of its own that --gc-sections drops when unused.
template class std::basic_string<char>;

// The replaceable global allocation function, without the throw: out of
// memory with no new-handler ends the program as the uncaught std::bad_alloc
// did.
void* operator new(std::size_t size) {
    if (size == 0) size = 1;
    for (;;) {
        if (void* memory = std::malloc(size)) return memory;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) std::abort();
        handler();
    }
}
