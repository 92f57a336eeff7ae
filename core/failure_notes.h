#pragma once

#include <string>
#include <string_view>

#include "core/answer_check.h"

// The one line that follows a refusal message, after a blank line, where
// more is known than the message says: what was wrong with an opened file,
// or that no API key is set.
namespace skyrill {

// What stood in the way of reading an observation file.
enum class FileProblem {
  None,        // read whole
  Missing,     // no such file
  Folder,      // a folder, not a file
  Empty,       // no bytes at all
  TooLarge,    // more than a day's answer can be
  Unreadable,  // there, but it could not be read (permissions, a device)
};

// A refused file, with its name: the problem met reading it or, for a file
// read whole, what the check found its text to be.
std::string fileFailureNote(std::string_view fileName, FileProblem problem, AnswerCheck outcome,
                            std::string_view text);

// A fetch made without an API key.
std::string missingKeyNote();

// The message and its note, separated by a blank line; the message alone
// when there is no note.
std::string withNote(std::string message, std::string_view note);

}  // namespace skyrill
