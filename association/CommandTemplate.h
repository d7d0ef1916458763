// Which command the machine registers for a document type and a verb.
#pragma once

#include "text/String.h"

// The command template, exactly as stored (quotes, placeholders and environment references
// untouched), that the registry holds for the extension and the verb; empty when there is none.
//
// With useUserChoice and the verb exactly "open", the application the user chose for the
// extension, then the applications of its open-with list in their most-recently-used order, are
// asked first. Then the extension's class ("extensionPrefix" + extension names the extension's key;
// with an empty prefix the extension is itself the class) is asked for the verb, then for "edit",
// then for "view". An extension without a class gives the command stored under its own key for the
// verb, without fall-backs. Only HKEY_CLASSES_ROOT is read unless the per-user branch is taken.
String LookupCommandTemplate(String extension, String verb, bool useUserChoice,
                             String extensionPrefix);
