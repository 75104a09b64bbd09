// Number and time conversions of typed or received text, and of dates held as doubles.
#include "FuzzInput.h"
#include "core/Convert.h"
#include "core/modNumberConvert.h"
#include "readers/ReaderAdapters.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzzText(data, size);
    Convert::Val(text);
    Convert::ValLong(text);
    Convert::WholeNumber(text, -32768, 32767);
    Convert::IsNumeric(text);
    Convert::IsValidTimeText(text);
    Convert::TimeOfDay(text);
    Convert::ToBool(text, false);
    modNumberConvert::DecToBin(text);
    modNumberConvert::BinToDec(text);
    modNumberConvert::GetHighNibble(text);
    modNumberConvert::GetLowNibble(text);
    const double reading = ReaderAdapters::DecimalReading(text);
    ReaderAdapters::FormatZeroPadded(reading, 26);
    Convert::RoundHalfEven(reading);
    Convert::NumberText(reading);
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        Convert::FromOleDate(value);
        Convert::RoundHalfEven(value);
        Convert::NumberText(value);
        ReaderAdapters::FormatZeroPadded(value, 26);
    }
    return 0;
}
