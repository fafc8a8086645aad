#pragma once

// How the program ends. The window's own codes (0, 1, 2) come first; those of commands handed
// to the running copy follow the BSD convention (sysexits.h). The README and the manual page
// list them.
namespace exit_codes {

inline constexpr int ok = 0;
inline constexpr int amplifier_unidentified = 1; // present, but did not answer as expected
inline constexpr int amplifier_unsupported = 2;  // answered as a variant this program lacks
inline constexpr int usage = 64;                 // not understood: an option, a name or a value
inline constexpr int not_on_variant = 65;        // the connected amplifier lacks that setting
inline constexpr int bad_data = 65;              // a preset file that is not one
inline constexpr int not_found = 66;             // no preset of that name, no file to read
inline constexpr int no_running_copy = 69;       // nothing to hand a command to
inline constexpr int no_private_dir = 73;        // nowhere private for the instance lock
inline constexpr int cannot_create = 73;         // a preset file that cannot be written
inline constexpr int not_connected = 74;         // the running copy has no amplifier
inline constexpr int no_answer_in_time = 75;     // the copy did not answer; it may still act

} // namespace exit_codes
