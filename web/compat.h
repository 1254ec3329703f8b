// Included before every file of the browser build. Emscripten's C++ library is older
// than the core: std::atomic_ref is missing, and the core uses its fetch_add only:
// the compiler's atomic add, a real one in the module with threads.
#pragma once
#include <atomic>

#if !defined(__cpp_lib_atomic_ref)
namespace std {
template <class T>
struct atomic_ref {
    explicit atomic_ref(T& value) : target(&value) {}
    T fetch_add(T delta, memory_order = memory_order_seq_cst) const {
        return __atomic_fetch_add(target, delta, __ATOMIC_SEQ_CST);
    }
    T* target;
};
}  // namespace std
#endif
