// Paths around the run's work folder.
#pragma once

#include <string>

// The folder that holds the work folder: the work folder path cut before the
// backslash in front of the work folder's name, so "C:\T\ORVNT1\" (or
// "C:\T\ORVNT1") gives "C:\T", normally the temporary folder without its
// trailing backslash. Empty when no backslash precedes the name ("ORVNT1\",
// "\ORVNT1\", "").
std::string parent_folder(const std::string& work_folder);
