#include "history/HistoryFailure.h"

std::string historyFailureCause(int sqliteCode, std::string_view driverText) {
    switch (sqliteCode & 0xFF) {
    case 3:  // SQLITE_PERM
    case 23: // SQLITE_AUTH
        return "brak uprawnień do pliku";
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return "plik jest zablokowany przez inny program";
    case 8: // SQLITE_READONLY
        return "plik lub jego folder jest tylko do odczytu";
    case 10: // SQLITE_IOERR
        return "błąd odczytu lub zapisu na dysku";
    case 13: // SQLITE_FULL
        return "brak miejsca na dysku";
    case 14: // SQLITE_CANTOPEN
        return "nie można utworzyć ani otworzyć pliku";
    default:
        break;
    }
    return driverText.empty() ? std::string("nieznany błąd bazy danych") : std::string(driverText);
}

std::string historyFailureMessage(HistoryFailureKind kind, std::string_view path,
                                  std::string_view detail) {
    const std::string file(path);
    const std::string what(detail);
    switch (kind) {
    case HistoryFailureKind::Open:
        return "Nie można otworzyć historii pomiarów\n" + file + "\nPrzyczyna: " + what +
               ".\n\nOdczyty są nadal pokazywane, a rejestracja do pliku działa jak dotąd; do "
               "historii nie trafiają. Program ponawia próbę co minutę.";
    case HistoryFailureKind::Locked:
        return "Historia pomiarów\n" + file +
               "\njest używana przez inną uruchomioną kopię programu" +
               (what.empty() ? std::string() : " (proces " + what + ")") +
               ".\n\nTa kopia nie zapisuje historii, dopóki tamta działa. Odczyty są nadal "
               "pokazywane, a rejestracja do pliku działa jak dotąd.";
    case HistoryFailureKind::Write:
        return "Nie można zapisać historii pomiarów\n" + file + "\nPrzyczyna: " + what +
               ".\n\nOdczyty z ostatniej godziny czekają w pamięci i trafią do historii, gdy "
               "zapis znów się powiedzie. Odczyty są nadal pokazywane, a rejestracja do pliku "
               "działa jak dotąd.";
    case HistoryFailureKind::Damaged:
        return "Plik historii pomiarów był uszkodzony. Odłożono go jako\n" + what +
               "\ni rozpoczęto nową historię w pliku\n" + file + ".";
    }
    return {};
}
