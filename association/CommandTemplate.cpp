#include "association/CommandTemplate.h"

#include "association/RegistryText.h"

namespace {

String VerbCommandKey(const String& owner, const String& verb) {
    return owner + "\\shell\\" + verb + "\\command";
}

// An application's command for the verb, below the registered applications.
String ApplicationCommand(const String& application, const String& verb) {
    return ReadRegistryText(HKEY_CLASSES_ROOT, VerbCommandKey("Applications\\" + application, verb),
                            "");
}

// The open command of the application the user chose for the extension, or of the first
// application of the extension's open-with list that has one; empty when none has.
String UserChoiceCommand(const String& extensionKey, const String& verb) {
    const String fileExts =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + extensionKey;
    const String chosen = ReadRegistryText(HKEY_CURRENT_USER, fileExts, "Application");
    if (!chosen.IsEmpty()) {
        const String command = ApplicationCommand(chosen, verb);
        if (!command.IsEmpty()) {
            return command;
        }
    }
    const String openWithList = fileExts + "\\OpenWithList";
    const String order = ReadRegistryText(HKEY_CURRENT_USER, openWithList, "MRUList");
    for (int index = 0; index < order.Length(); ++index) {
        // Each byte names one value of the list. A lead byte makes no one-character name of its
        // own, and the list's default value is no entry of it.
        const String entry = order.Mid(index, 1);
        if (entry.IsEmpty()) {
            continue;
        }
        const String application = ReadRegistryText(HKEY_CURRENT_USER, openWithList, entry);
        if (application.IsEmpty()) {
            continue;
        }
        const String command = ApplicationCommand(application, verb);
        if (!command.IsEmpty()) {
            return command;
        }
    }
    return String();
}

} // namespace

String LookupCommandTemplate(String extension, String verb, bool useUserChoice,
                             String extensionPrefix) {
    const String extensionKey = extensionPrefix + extension;
    if (useUserChoice && verb.Compare("open") == 0) {
        const String command = UserChoiceCommand(extensionKey, verb);
        if (!command.IsEmpty()) {
            return command;
        }
    }

    const String className = extensionPrefix.IsEmpty()
                                 ? extension
                                 : ReadRegistryText(HKEY_CLASSES_ROOT, extensionKey, "");
    if (className.IsEmpty()) {
        // A type without a class may keep its command under its own key; it has no fall-backs.
        return ReadRegistryText(HKEY_CLASSES_ROOT, VerbCommandKey(extensionKey, verb), "");
    }
    // A class that cannot do the verb is asked to edit, then to view, the document instead.
    String command = ReadRegistryText(HKEY_CLASSES_ROOT, VerbCommandKey(className, verb), "");
    if (command.IsEmpty()) {
        command = ReadRegistryText(HKEY_CLASSES_ROOT, VerbCommandKey(className, "edit"), "");
    }
    if (command.IsEmpty()) {
        command = ReadRegistryText(HKEY_CLASSES_ROOT, VerbCommandKey(className, "view"), "");
    }
    return command;
}
