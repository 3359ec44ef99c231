#include "ControlCommands.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tq820sim {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<long> parseInt(std::string_view s) {
    long value = 0;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

std::optional<double> parseDouble(std::string_view s) {
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> parseOnOff(std::string_view s) {
    if (s == "on")
        return true;
    if (s == "off")
        return false;
    return std::nullopt;
}

struct FaultName {
    const char* name;
    Fault fault;
};
constexpr FaultName faultNames[] = {
    {"ch1meas", Fault::Ch1Measurement},
    {"ch1cal", Fault::Ch1Calibration},
    {"ch2meas", Fault::Ch2Measurement},
    {"ch2cal", Fault::Ch2Calibration},
    {"temperature", Fault::Temperature},
    {"humidity", Fault::Humidity},
    {"pressure", Fault::Pressure},
    {"speed", Fault::Speed},
    {"direction", Fault::Direction},
    {"memfull", Fault::MemoryFull},
    {"cpu", Fault::CpuTest},
    {"battery", Fault::LowBattery},
    {"eeproma", Fault::EepromA},
    {"eepromb", Fault::EepromB},
    {"clock", Fault::Clock},
};

std::optional<Quantity> parseQuantity(std::string_view s) {
    if (s == "temperature")
        return Quantity::Temperature;
    if (s == "humidity")
        return Quantity::Humidity;
    if (s == "pressure")
        return Quantity::Pressure;
    if (s == "speed")
        return Quantity::Speed;
    if (s == "direction")
        return Quantity::Direction;
    return std::nullopt;
}

std::string joined(const std::vector<std::string_view>& w) {
    std::string out;
    for (auto s : w)
        out += (out.empty() ? "" : " ") + std::string(s);
    return out;
}

std::optional<CivilTime> parseClock(std::string_view date, std::string_view time) {
    CivilTime t;
    if (std::sscanf(std::string(date).c_str(), "%d-%d-%d", &t.year, &t.month, &t.day) != 3 ||
        std::sscanf(std::string(time).c_str(), "%d:%d:%d", &t.hour, &t.minute, &t.second) != 3 ||
        !isValid(t))
        return std::nullopt;
    return t;
}

} // namespace

std::optional<std::string> applyControl(PanelModel& panel, std::string_view line) {
    const auto w = words(line);
    if (w.empty())
        return std::nullopt;
    const std::string_view verb = w[0];
    const std::string ok = "ok " + joined(w);

    if (verb == "ch1") {
        if (w.size() != 2)
            return "error usage: ch1 tq231|tq232|tq233|none|nomodel";
        static constexpr std::pair<const char*, Channel1Sensor> table[] = {
            {"tq231", Channel1Sensor::Tq231},
            {"tq232", Channel1Sensor::Tq232},
            {"tq233", Channel1Sensor::Tq233},
            {"none", Channel1Sensor::None},
            {"nomodel", Channel1Sensor::NoModel}};
        for (const auto& [name, sensor] : table)
            if (w[1] == name) {
                panel.setChannel1(sensor);
                return ok;
            }
        return "error unknown channel 1 sensor: " + std::string(w[1]);
    }
    if (verb == "ch2") {
        if (w.size() != 2)
            return "error usage: ch2 tq264|none|nomodel";
        static constexpr std::pair<const char*, Channel2Sensor> table[] = {
            {"tq264", Channel2Sensor::Tq264},
            {"none", Channel2Sensor::None},
            {"nomodel", Channel2Sensor::NoModel}};
        for (const auto& [name, sensor] : table)
            if (w[1] == name) {
                panel.setChannel2(sensor);
                return ok;
            }
        return "error unknown channel 2 sensor: " + std::string(w[1]);
    }
    if (verb == "fault") {
        const auto on = w.size() == 3 ? parseOnOff(w[2]) : std::nullopt;
        if (!on)
            return "error usage: fault <name>|eeprom|all on|off";
        if (w[1] == "all" || w[1] == "eeprom") {
            for (const auto& f : faultNames)
                if (w[1] == "all" || f.fault == Fault::EepromA || f.fault == Fault::EepromB)
                    panel.setFault(f.fault, *on);
            return ok;
        }
        for (const auto& f : faultNames)
            if (w[1] == f.name) {
                panel.setFault(f.fault, *on);
                return ok;
            }
        return "error unknown fault: " + std::string(w[1]);
    }
    if (verb == "firmware") {
        const auto v = w.size() == 2 ? parseDouble(w[1]) : std::nullopt;
        if (!v || *v < 0 || *v > 2.55)
            return "error usage: firmware <0.00..2.55>";
        panel.setFirmware(int(std::lround(*v * 100)));
        return ok;
    }
    if (verb == "memory") {
        if (w.size() == 2 && w[1] == "empty") {
            panel.erase();
            return ok;
        }
        if (w.size() == 2 && w[1] == "history") {
            panel.loadHistory();
            return ok;
        }
        return "error usage: memory empty|history";
    }
    if (verb == "state") {
        if (w.size() != 1)
            return "error usage: state";
        return "ok state " + panel.describe();
    }
    if (verb == "serial1" || verb == "serial2") {
        const auto v = w.size() == 2 ? parseInt(w[1]) : std::nullopt;
        if (!v || *v < 0 || *v > 0xFFFF)
            return "error usage: " + std::string(verb) + " <0..65535>";
        panel.setSerial(verb == "serial1" ? 1 : 2, int(*v));
        return ok;
    }
    if (verb == "power") {
        const auto v = w.size() == 2 ? parseInt(w[1]) : std::nullopt;
        if (!v || *v < 0 || *v > 0xFF)
            return "error usage: power <0..255>";
        panel.setPowerSaving(int(*v));
        return ok;
    }
    if (verb == "clock") {
        const auto t = w.size() == 3 ? parseClock(w[1], w[2]) : std::nullopt;
        if (!t)
            return "error usage: clock YYYY-MM-DD hh:mm:ss";
        panel.setClock(*t);
        return ok;
    }
    if (verb == "value") {
        const auto q = w.size() == 3 ? parseQuantity(w[1]) : std::nullopt;
        if (!q)
            return "error usage: value temperature|humidity|pressure|speed|direction <number>|auto";
        if (w[2] == "auto") {
            panel.pinReading(*q, std::nullopt);
            return ok;
        }
        const auto v = parseDouble(w[2]);
        if (!v)
            return "error not a number: " + std::string(w[2]);
        panel.pinReading(*q, *v);
        return ok;
    }
    if (verb == "speedup") {
        const auto v = w.size() == 2 ? parseDouble(w[1]) : std::nullopt;
        if (!v || !PanelModel::isValidSpeedUp(*v))
            return "error usage: speedup <factor from 0.001 to 1000000>";
        panel.setSpeedUp(*v);
        return ok;
    }
    if (verb == "settings") {
        const auto interval = w.size() == 3 ? parseInt(w[1]) : std::nullopt;
        const auto config = w.size() == 3 ? parseInt(w[2]) : std::nullopt;
        if (!interval || !config || *interval < 0 || *interval > 255 || *config < 0 ||
            *config > 255)
            return "error usage: settings <interval 0..255> <config 0..255>";
        panel.storeSettings(int(*interval), int(*config));
        return ok;
    }
    if (verb == "reset") {
        if (w.size() != 1)
            return "error usage: reset";
        panel.reset();
        return ok;
    }
    return std::nullopt;
}

const char* controlHelp() {
    return R"(  ch1 tq231|tq232|tq233|none|nomodel
                           sensor on channel 1 (nomodel: present without a model flag)
  ch2 tq264|none|nomodel   sensor on channel 2
  fault <name> on|off      raise or clear a status flag; names: ch1meas ch1cal ch2meas
                           ch2cal temperature humidity pressure speed direction memfull
                           cpu battery eeproma eepromb clock; eeprom (both EEPROM bits);
                           all
  firmware 2.00            firmware version reported by F
  memory empty|history     erase the record memory (recording suspended until a reset)
                           or load the built-in multi-layout history
  settings <interval> <config>
                           store memory addresses 0 and 1, as EW does
  reset                    apply the stored settings, as G does
  clock YYYY-MM-DD hh:mm:ss
                           set the panel clock (recording goes on)
  value <quantity> <number>|auto
                           pin a reading (temperature, humidity, pressure, speed,
                           direction) or let it drift again
  serial1 <n>, serial2 <n> sensor serial numbers 0..65535
  power <byte>             power-saving register (bit 0 = power saving on)
  speedup <factor>         recording runs this many times faster (0.001 to 1000000)
  state                    print the whole panel state on one line
)";
}

} // namespace tq820sim
