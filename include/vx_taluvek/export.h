// What the shared library offers its callers.
//
// The library is built with every symbol hidden, so that its engine, its
// subsystems and the standard library's code it instantiates stay its own
// affair and can change without breaking a program linked against it.  The
// public classes and functions of these headers carry VX_TALUVEK_EXPORT,
// which makes them (with their virtual tables and type information, so that
// exceptions and dynamic casts work across the library's boundary) visible.
// For a caller the mark changes nothing.

#ifndef VX_TALUVEK_EXPORT_H_
#define VX_TALUVEK_EXPORT_H_

#define VX_TALUVEK_EXPORT __attribute__((visibility("default")))

#endif  // VX_TALUVEK_EXPORT_H_
