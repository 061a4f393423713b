#pragma once
// What an error box says when the system refused a file operation: the program's own text
// first ("Unable to write to <path>", or the core's Czech message for a read), then on a line
// of its own the reason in Czech. The one table of reasons; the core keeps only the errno.

#include <QString>
#include <exception>

// The reason for `error` (an errno) as one Czech sentence; empty for 0.
QString SystemReason(int error);

// The text for an error box about `e`: its message, and for a file error the reason beneath.
QString ErrorText(const std::exception& e);
