// The registry reads of a run as the launcher took them, and as the explain tool tells them.
#pragma once

#include "explain/CallLog.h"

#include <string>

// The text the launcher took from the read: the data up to its first NUL; empty when the key or
// value is missing, cannot be read, or the data is longer than the launcher reads.
std::string TextOfRead(const RegistryRead& read);

// "HKEY_CLASSES_ROOT\<key>, default value: REG_SZ <text>", or what kept the read from a text: no
// such key, no such value, data too long, an error.
std::string DescribeRead(const RegistryRead& read);
