#pragma once

// The fields of an application record, shared by the decoder and the relay's records; for this folder only.
#include "core/TextId.h"
#include "core/mdlTools.h"

#include <QString>
#include <cstdint>

namespace mdlEvents {

// Codes below this one are alarms.
inline constexpr int FirstNonAlarmCode = 64;

// The fields an application record carries in its code and value bytes.
struct Fields {
    Fields(uint8_t code, uint8_t lo, uint8_t hi)
        : code(code), lo(lo), hi(hi), limit((code & 6) / 2), signal((code & 56) / 8), value(mdlTools::MakeWord(lo, hi)),
          value24(mdlTools::Make24(hi, lo, code))
    {}

    bool isAlarm() const { return code < FirstNonAlarmCode; }
    bool oddCode() const { return (code & 1) != 0; }

    int code;
    int lo;
    int hi;
    int limit;
    int signal;
    int32_t value;
    int32_t value24;
};

// A number and its unit's text, a blank between them.
QString withUnit(const QString &number, txt::Id unitId);

// The text of a relay record that is no alarm: its reset, statistics and changed settings; empty
// for a code it does not use.
QString RelayRecordText(const Fields &f);

}  // namespace mdlEvents
