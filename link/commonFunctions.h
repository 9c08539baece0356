// Hex helpers for log lines and test fixtures.
#pragma once

#include <string>

#include "linkLog.h"

// Renders bytes for a log line in a program's form: the panel application writes two lower-case
// digits per byte separated by ':' ("55:aa:80"), the link daemon "0X" before each byte's two
// lower-case digits with no separator ("0X550Xaa0X80"). Without a form, the running program's.
std::string string_to_hex(const std::string& bytes);
std::string string_to_hex(const std::string& bytes, LinkProgram form);

// Turns pairs of hex digits (either case) into bytes. On an odd length the panel application logs
// "String is not valid length ..." and ignores the last digit; the link daemon throws
// std::runtime_error with that text. A pair that is not hex is treated the same way with the text
// "String is not valid hex ...": logged and skipped, or thrown.
std::string hex_to_string(const std::string& hex);
std::string hex_to_string(const std::string& hex, LinkProgram form);
