// ThreadSanitizer's built-in suppressions for this executable. The drawing
// libraries (cairo with FreeType, fontconfig and pixman below it) are not
// instrumented: they hand blocks between threads through reference counts
// and pools whose atomic operations the sanitizer cannot see, so their
// copies into, and frees of, blocks another thread's drawing used before
// look like races. Separate cairo contexts on separate threads are safe;
// reports of accesses made from inside those libraries are dropped.

extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libcairo.so\n"
         "called_from_lib:libfreetype.so\n"
         "called_from_lib:libfontconfig.so\n"
         "called_from_lib:libpixman-1.so\n";
}
