// ThreadSanitizer's built-in suppressions for this executable. cairo is not
// instrumented: it recycles its path and state blocks through a lock-free
// pool whose atomic operations the sanitizer cannot see, so the copies
// cairo makes into a block that another thread's context used before look
// like races. Separate cairo contexts on separate threads are safe; reports
// of accesses made from inside cairo are dropped.

extern "C" const char* __tsan_default_suppressions() { return "called_from_lib:libcairo.so\n"; }
