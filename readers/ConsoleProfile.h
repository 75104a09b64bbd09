#pragma once

#include "readers/LineAssembler.h"
#include "readers/ReaderAdapters.h"

#include <vector>

enum class ReaderKind : int { Motorola, Mercury, RFID, SerialReader };

// How a console's commands go on the wire: framed (native protocol), the bare command text
// (to a bridge that frames them itself), or not at all (a receive-only link).
enum class CommandForm { Framed, Bare, None };

// One field of the tab "Reader" of a bridge console, with its setting.
struct BridgeField {
    const char* control;
    const char* label;
    const char* key; // nullptr: not kept in the settings store
    const char* defaultValue;
    bool antennaChoice = false; // a choice of "1" to "4" instead of a text box
};

// Everything that sets one reader console apart from the other three. The four consoles are
// one window; ConsoleProfiles.cpp holds their columns side by side.
struct ConsoleProfile {
    ReaderKind kind;
    const char* name;
    const char* caption;
    // Section of the link fields, the header length and the debounce time; the three TCP
    // consoles share "RFID".
    const char* section;
    const char* addrLabel;
    const char* addrToolTip;
    const char* portLabel;
    const char* portToolTip;
    const char* defaultAddr;
    const char* defaultPort;
    const char* defaultKopf;

    // Receiving.
    LineAssembler::Ending lineEnding; // NativeCr: native frames, and the ID drops the frame's CR
    ReaderAdapters::Kind adapter;
    bool logsBuiltTelegram;       // the adapted telegram goes to the log after the adapter lines
    bool logsSeparator;           // 44 hyphens before each unit
    bool logsRepeats;             // "Transponder doppelt erkannt!"
    bool loopbackIdIsStartnummer; // linked to 127.0.0.1: the ID's number is the start number
    bool booksZeroAlways;         // start number 0 escapes the debounce
    bool listsDebounced;          // " entprellt!" also in the booking list
    bool selectsLastBooking;      // the booking list selects its newest entry

    // Commands.
    CommandForm commandForm;
    bool connectsFirst;      // writing a tag, the free command and the clock ask to connect first
    bool sendsBridgeLetters; // polling and the clock are the bridge's letters "s" and "z"
    bool bridgeGetsPort;     // the console's own port is the bridge's last argument
    // The started bridge is recorded, a recorded one is ended when the console loads, and
    // closing the console stops its bridge; otherwise the bridge outlives the window.
    bool recordsBridge;

    // Window.
    bool colorsLinkEvents;  // the background follows the link state
    bool hasPollButton;     // Command1 "Pollen starten"
    bool clearsBookingList; // a second "Anzeige löschen" on the tab "Buchen"
    const char* antennaTabCaption;
    const char* bridgeSection; // nullptr: no tab "Reader"
    std::vector<BridgeField> bridgeFields;

    // Assignment import.
    bool importSkipsBlankLines;
    bool importNamesFailingLine; // the error box names the failing line's ID and number
};

const ConsoleProfile& ProfileOf(ReaderKind kind);
