// AddressSanitizer settings for long fuzzing runs; ASAN_OPTIONS still overrides them.
//
// The fast unwinder walks frame pointers, but the Qt libraries use rbp as an ordinary register, so
// from the third frame up a QByteArray or QString allocation records whatever the register held,
// often a heap address. Every such stack is new to the sanitizer's stack store, which never frees:
// with full stacks a harness grew past 1 GB in two minutes while its live heap stayed near 25 MB.
// Two frames (the allocator and its caller) are all that can be recorded truthfully, and a
// quarantine a quarter of the default still holds the frees of thousands of inputs, where a
// use-after-free can only reach memory freed during its own input. For full allocation stacks,
// run a failing input again with ASAN_OPTIONS=malloc_context_size=30:fast_unwind_on_malloc=0.
extern "C" const char *__asan_default_options()
{
    return "malloc_context_size=2:quarantine_size_mb=64";
}
