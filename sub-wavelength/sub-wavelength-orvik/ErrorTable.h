#pragma once

// The process-wide table of messages that every failure is reported by: a
// host receives the index of an entry and reads its text through
// GetErrorDescription. Entry 0 is "Success"; entries are only appended.

#include <cstddef>
#include <deque>
#include <string>

namespace quelbrant {

// Longest message, in bytes, that enters the error table whole; a longer
// one keeps its first MessageMaxLength bytes and a pointer to the log.
extern const size_t MessageMaxLength;

// Table size from which notes are only logged, no longer appended, and
// from which an error whose text was appended at or beyond this size
// returns that entry again instead of a new one.
extern const size_t NoteLimit;

// Table size from which an error with a new text gets the one shared entry
// saying that the table is full. With NoteLimit this keeps the table
// bounded however many failures a host provokes (the same bad ray traced
// a million times), while every index still names a text.
extern const size_t ErrorLimit;

// Logs err (a debug line when debuglog is true, a normal line otherwise),
// appends it to GratingSurface::ErrorDescriptions and returns the new
// entry's index. debuglog chooses only the log level. Every failure in the
// library leaves as `throw addErrorMessage(...)`. Beyond NoteLimit entries
// a repeated text may return its earlier entry, beyond ErrorLimit a new
// text returns the table-full entry (see above).
int addErrorMessage(const std::string& err, bool debuglog);

// Registers a note: a remark on what a data file holds (a form that could
// not be read while another may still succeed). Logged as a debug line and
// appended like addErrorMessage(note, true), except that once the table
// holds NoteLimit entries the note is only logged and -1 is returned. Every
// caller discards a note's index, so a dropped note changes nothing else.
int addNote(const std::string& note);

// The table entry for index; a negative or too large index gives the entry
// of the most recent message (the last entry, unless the most recent error
// reused an earlier one, see ErrorLimit). The characters stay at their address until the library is
// unloaded, however many entries are appended later.
const wchar_t* errorDescription(int index);

// Number of entries in the table.
size_t errorTableSize();

// Appends entry to table and returns its index, or drops it and returns -1
// when it is a note and the table already holds noteLimit entries.
int appendErrorEntry(std::deque<std::wstring>& table, std::wstring&& entry, bool isNote, size_t noteLimit);

}  // namespace quelbrant
