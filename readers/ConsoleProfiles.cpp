#include "readers/ConsoleProfile.h"

#include <array>

namespace {

using Ending = LineAssembler::Ending;
using Adapter = ReaderAdapters::Kind;
template <class T> using PerConsole = std::array<T, 4>;

// How the four consoles differ, one column per console, in the order of ReaderKind.
// clang-format off
//                                     frmMotorola         frmMercury          frmRFID             frmSerialReader
const PerConsole<const char*> Name     {"frmMotorola",      "frmMercury",       "frmRFID",          "frmSerialReader"};
const PerConsole<const char*> Caption  {"Motorola Reader Kommunikation", "Mercury Reader Kommunikation",
                                        "RF Kommunikation", "Serielle Kommunikation"};
const PerConsole<const char*> Section  {"RFID",             "RFID",             "RFID",             "SerialReader"};
const PerConsole<const char*> AddrLabel{"TCP/IP Adresse:",  "TCP/IP Adresse:",  "TCP/IP Adresse:",  ""};
const PerConsole<const char*> AddrTip  {"IP-Adresse",       "IP-Adresse",       "IP-Adresse",       "z.B.: 9600,N,8,1"};
const PerConsole<const char*> PortLabel{"Port:",            "Port:",            "Port:",            "Serieller Port:"};
const PerConsole<const char*> PortTip  {"",                 "",                 "",                 "Portnummer 1..."};
const PerConsole<const char*> Addr     {"",                 "",                 "",                 "9600,N,8,1"};
const PerConsole<const char*> Port     {"0",                "0",                "0",                "1"};
const PerConsole<const char*> Kopf     {"22",               "22",               "22",               "21"};
const PerConsole<Ending> LineEnd       {Ending::AnyLine,    Ending::AnyLine,    Ending::NativeCr,   Ending::AnyLine};
const PerConsole<Adapter> Adapt        {Adapter::Pairs6,    Adapter::Pairs12,   Adapter::Native,    Adapter::Format26};
const PerConsole<bool> LogsTelegram    {false,              true,               false,              true};
const PerConsole<bool> LogsSeparator   {true,               false,              false,              false};
const PerConsole<bool> LogsRepeats     {true,               false,              false,              false};
const PerConsole<bool> LoopbackId      {false,              false,              true,               false};
const PerConsole<bool> BooksZero       {false,              true,               false,              false};
const PerConsole<bool> ListsDebounced  {false,              true,               true,               false};
const PerConsole<bool> SelectsLast     {true,               false,              false,              true};
const PerConsole<CommandForm> Commands{CommandForm::Framed, CommandForm::Bare,  CommandForm::Framed, CommandForm::None};
const PerConsole<bool> ConnectsFirst   {true,               false,              true,               false};
const PerConsole<bool> BridgeLetters   {true,               false,              false,              false};
const PerConsole<bool> BridgeGetsPort  {true,               false,              false,              false};
const PerConsole<bool> RecordsBridge   {true,               false,              false,              false};
const PerConsole<bool> ColorsLink      {true,               true,               true,               false};
const PerConsole<bool> PollButton      {true,               false,              true,               false};
const PerConsole<bool> ClearsBookings  {true,               false,              false,              false};
const PerConsole<const char*> AntTab   {"Antennen",         "Antenne",          "Antennen",         "Antennen"};
const PerConsole<const char*> Bridge   {"Motorola",         "Mercury",          nullptr,            nullptr};
const PerConsole<bool> ImportSkipsBlank{true,               false,              false,              false};
const PerConsole<bool> ImportNamesLine {true,               false,              false,              false};
// clang-format on

std::vector<BridgeField> bridgeFields(ReaderKind kind) {
    if (kind == ReaderKind::Mercury)
        return {
            {"edtMercuryCmd", "Befehlszeile:", "cmd", "java.exe -jar Mercury\\samples_nb.jar"},
            {"edtMercuryIpAddress", "IP-Adresse:", "IPAddress", "127.0.0.1"},
            {"edtMercuryTansportTimeout", "TansportTimeout:", "TansportTimeout", "5000"},
            {"edtMercuryAsyncOffTime", "AsyncOffTime:", "AsyncOffTime", "10"},
            {"cboMercuryAntennas", "Antennen:", "Antennas", "1", true},
            {"edtMercuryPower", "Power (3000 = 30dB):", "Power", "2000"},
        };
    if (kind == ReaderKind::Motorola)
        return {
            // The command line always starts as the default.
            {"edtMercuryCmd", "Befehlszeile:", nullptr, "Motorola\\MotorolaServer.exe"},
            {"edtMotorolaIpAddress", "Reader IP-Adresse:", "IPAddress", "169.254.1.1"},
            {"edtMotorolaPort", "Reader Port:", "IPPort", "5084"},
        };
    return {};
}

ConsoleProfile column(ReaderKind kind) {
    const auto c = static_cast<size_t>(kind);
    return ConsoleProfile{
        .kind = kind,
        .name = Name[c],
        .caption = Caption[c],
        .section = Section[c],
        .addrLabel = AddrLabel[c],
        .addrToolTip = AddrTip[c],
        .portLabel = PortLabel[c],
        .portToolTip = PortTip[c],
        .defaultAddr = Addr[c],
        .defaultPort = Port[c],
        .defaultKopf = Kopf[c],
        .lineEnding = LineEnd[c],
        .adapter = Adapt[c],
        .logsBuiltTelegram = LogsTelegram[c],
        .logsSeparator = LogsSeparator[c],
        .logsRepeats = LogsRepeats[c],
        .loopbackIdIsStartnummer = LoopbackId[c],
        .booksZeroAlways = BooksZero[c],
        .listsDebounced = ListsDebounced[c],
        .selectsLastBooking = SelectsLast[c],
        .commandForm = Commands[c],
        .connectsFirst = ConnectsFirst[c],
        .sendsBridgeLetters = BridgeLetters[c],
        .bridgeGetsPort = BridgeGetsPort[c],
        .recordsBridge = RecordsBridge[c],
        .colorsLinkEvents = ColorsLink[c],
        .hasPollButton = PollButton[c],
        .clearsBookingList = ClearsBookings[c],
        .antennaTabCaption = AntTab[c],
        .bridgeSection = Bridge[c],
        .bridgeFields = bridgeFields(kind),
        .importSkipsBlankLines = ImportSkipsBlank[c],
        .importNamesFailingLine = ImportNamesLine[c],
    };
}

} // namespace

const ConsoleProfile& ProfileOf(ReaderKind kind) {
    static const PerConsole<ConsoleProfile> profiles{column(ReaderKind::Motorola),
                                                     column(ReaderKind::Mercury), column(ReaderKind::RFID),
                                                     column(ReaderKind::SerialReader)};
    return profiles[static_cast<size_t>(kind)];
}
