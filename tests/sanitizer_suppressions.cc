// What LeakSanitizer is not to report in the test and fuzz programs: leaks
// of the libraries we build on, which we cannot mend.
//
// libgettextpo (0.21) loses a few bytes on each read: the copy of the
// catalogue's name, and on a malformed catalogue the words its parser had
// read.  We free every catalogue it hands us (po_file.cc holds them in
// owning pointers), so what stays behind inside its reader is its own.  The
// library has no frame pointers: only the slow unwinder sees that the
// block was taken inside the reader.

// The sanitizers' run time looks these up among the program's dynamic
// symbols, so they stay visible although the project hides everything else.
#define VX_SANITIZER_HOOK extern "C" __attribute__((visibility("default")))

VX_SANITIZER_HOOK const char* __lsan_default_suppressions() {
  return "leak:po_file_read_v3\n";
}

VX_SANITIZER_HOOK const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
