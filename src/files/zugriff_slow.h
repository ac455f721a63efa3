// The access-speed setting: how much patience the existence tests have with
// the drives of this installation.
//
// Entry "Zugriff_Slow" of section "SYS": 1 (the default) lets a quick test
// look a file up by one directory listing; 2 makes even a quick test probe
// the file itself; 3 and above make every test take the full, slower probe
// (see Uexist).  Read once per thread into State().nZugriffSlow.

#ifndef VX_FILES_ZUGRIFF_SLOW_H_
#define VX_FILES_ZUGRIFF_SLOW_H_

namespace vx {

// Reads "Zugriff_Slow" (writing the default "1" when it is missing) and
// stores the absolute value of its number in State().nZugriffSlow: 0 and
// texts that are no number count as 1, values beyond a 16-bit integer as
// its largest.  Never raises; a settings file that cannot be read has been
// reported through the error dialog by then, and counts as 1.
void ReadZugriffSlow();

}  // namespace vx

#endif  // VX_FILES_ZUGRIFF_SLOW_H_
