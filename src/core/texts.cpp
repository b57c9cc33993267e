#include "core/texts.h"

#include <array>
#include <utility>

namespace quelm {

namespace {

struct Row {
    Said id;
    const char* french;
    const char* english;
};

// One row per text, in the order of Said.
constexpr Row kRows[] = {
    {Said::TraceSave, "Enregistrer...", "Save..."},
    {Said::TraceClear, "Effacer", "Clear"},
    {Said::TraceNotSaved,
     "La trace n'a pas \xC3\xA9t\xC3\xA9 enregistr\xC3\xA9"
     "e dans %1 : %2\n\nChoisissez un dossier o\xC3\xB9 vous pouvez \xC3\xA9"
     "crire.",
     "The trace was not saved to %1: %2\n\nChoose a folder you can write to."},
    {Said::SettingsUnreadable,
     "L'outil ne peut pas d\xC3\xA9marrer : le fichier de r\xC3\xA9glages %1 manque ou ne peut pas \xC3\xAAtre lu "
     "(%2).\n\n"
     "Il doit se trouver dans le dossier %3, avec les fichiers de langue. Recopiez param_box.dat depuis le dossier "
     "d'installation de l'outil, ou cr\xC3\xA9"
     "ez-le avec la seule ligne 1 (fran\xC3\xA7"
     "ais) ou 2 (anglais), puis relancez l'outil.",
     "The tool cannot start: its settings file %1 is missing or cannot be read (%2).\n\n"
     "It belongs in the folder %3, with the language files. Copy param_box.dat from the tool's installation folder, "
     "or create it with the single line 1 (French) or 2 (English), then start the tool again."},
    {Said::LanguageFilesUnread,
     "Fichier de langue manquant ou illisible :\n%1\n\nLes textes int\xC3\xA9gr\xC3\xA9s de l'outil le remplacent. "
     "Pour "
     "retrouver les v\xC3\xB4tres, recopiez le fichier depuis le dossier d'installation de l'outil dans %2.",
     "Language file missing or unreadable:\n%1\n\nThe tool's built-in texts stand in for it. To get yours back, "
     "copy the file from the tool's installation folder into %2."},
    {Said::LanguageFileMissing,
     " Fichier de langue manquant ou illisible : ", " Language file missing or unreadable: "},
    {Said::UnknownLanguageCode,
     " Code de langue inconnu dans param_box.dat : fen\xC3\xAAtre en fran\xC3\xA7"
     "ais, fichier non modifi\xC3\xA9",
     " Unknown language code in param_box.dat: window in French, file not changed"},
    {Said::LanguageNotSaved, " Impossible d'enregistrer le choix de langue (param_box.dat)",
     " Cannot save the language choice (param_box.dat)"},
    {Said::NumberRefused, " Envoi refus\xC3\xA9 : num\xC3\xA9ro n\xC3\xA9gatif ou trop grand",
     " Not sent: the number is negative or too large"},
    {Said::AddressRefused,
     " Adresse \xC3\xA0 envoyer refus\xC3\xA9"
     "e (n\xC3\xA9gative ou non enti\xC3\xA8re) : case",
     " Address to send refused (negative or not a whole number): box"},
    {Said::PortUnusable, " Port inutilisable :", " Cannot use the port:"},
    {Said::EmptyGroupRefused, " Envoi refus\xC3\xA9 : aucun choix s\xC3\xA9lectionn\xC3\xA9 dans le groupe :",
     " Send refused: no choice selected in the group:"},
    {Said::ProjectNotSaved, " Fichier non enregistr\xC3\xA9", " Project file not saved"},
    {Said::FolderNotCreated, " Dossier non cr\xC3\xA9\xC3\xA9", " Folder not created"},
    {Said::NotAProjectFile, " Fichier non ouvert : ce n'est pas un fichier de projet",
     " File not opened: not a project file"},
    {Said::SendNeverConfirmed, " Envoi arr\xC3\xAAt\xC3\xA9 apr\xC3\xA8s 10 passages, jamais confirm\xC3\xA9 :",
     " Send stopped after 10 passes, never confirmed:"},
    {Said::LevelRefused, " Niveau refus\xC3\xA9 (pas un nombre entier de 0 \xC3\xA0 100), rien n'est envoy\xC3\xA9 :",
     " Level refused (not a whole number from 0 to 100), nothing sent:"},
    {Said::SeveralBoxes,
     " Plusieurs BOX sont branch\xC3\xA9"
     "es : n'en laisser qu'une",
     " Several BOXes are attached: unplug all but one"},
    {Said::NoValidAnswer, " Envoi arr\xC3\xAAt\xC3\xA9 : pas de r\xC3\xA9ponse valable en 10 trames",
     " Send stopped: no valid answer in 10 frames"},
    {Said::AddressNeverConfirmed,
     " Adresse jamais confirm\xC3\xA9"
     "e apr\xC3\xA8s 10 \xC3\xA9"
     "critures : adresse",
     " Address never confirmed after 10 writes: address"},
    {Said::NewNumberAnswers,
     " Rien n'est programm\xC3\xA9 : un d\xC3\xA9tecteur r\xC3\xA9pond d\xC3\xA9j\xC3\xA0 au N\xC2\xB0",
     " Nothing programmed: a detector already answers to number"},
    {Said::ValuesUncertain, " - le d\xC3\xA9tecteur peut tenir une partie des nouvelles valeurs : relisez-le",
     " - the detector may hold some of the new values: read it again"},
    {Said::SimulatedBox,
     "bo\xC3\xAEte simul\xC3\xA9"
     "e",
     "simulated box"},
    {Said::FirstFtdiAdapter, "premier adaptateur FTDI", "first FTDI adapter"},
    {Said::DetectorSilent, " Le d\xC3\xA9tecteur ne r\xC3\xA9pond pas : appuyez sur une touche pour arr\xC3\xAAter",
     " The detector does not answer: press a key to stop"},
    {Said::NumberBoxReadRefused,
     " Lecture refus\xC3\xA9"
     "e (pas un num\xC3\xA9ro de 0 \xC3\xA0 1048574) :",
     " Read refused (not a number from 0 to 1048574):"},
    {Said::NumberBoxSendRefused, " Envoi refus\xC3\xA9 (pas un num\xC3\xA9ro de 0 \xC3\xA0 1048574) :",
     " Send refused (not a number from 0 to 1048574):"},
    {Said::AddressesPartlyRead, " Adressage termin\xC3\xA9 :%1 adresse(s) lue(s) sur 10, non lue(s) :%2",
     " Addressing done:%1 of 10 addresses read, not read:%2"},
    {Said::ProjectFileShort,
     " Fichier incomplet (%1 valeur(s) sur 19) :%2 adresse(s) charg\xC3\xA9"
     "e(s), param\xC3\xA8tres inchang\xC3\xA9s (%3)",
     " Incomplete file (%1 of 19 values):%2 address(es) loaded, parameters unchanged (%3)"},
    {Said::CannotOpen, "impossible d'ouvrir ", "cannot open "},
    {Said::CannotRead, "impossible de lire ", "cannot read "},
    {Said::CannotWrite,
     "impossible d'\xC3\xA9"
     "crire ",
     "cannot write "},
    {Said::NoSuchFile, "fichier absent", "no such file"},
    {Said::IsAFolder, "c'est un dossier", "is a folder"},
    {Said::NotARegularFile, "ce n'est pas un fichier ordinaire", "it is not a regular file"},
    {Said::NotASerialPort, "ce n'est pas un port s\xC3\xA9rie", "not a serial port"},
    {Said::PermissionDenied,
     "acc\xC3\xA8s refus\xC3\xA9 (ajoutez votre compte au groupe dialout, puis reconnectez-vous)",
     "permission denied (add your user to the dialout group, then log in again)"},
    {Said::PortBusy, "occup\xC3\xA9, un autre programme l'utilise", "busy, another program holds it"},
    {Said::NoSuchDevice, "p\xC3\xA9riph\xC3\xA9rique absent (l'adaptateur est-il branch\xC3\xA9 ?)",
     "no such device (is the adapter plugged in?)"},
    {Said::AdapterGone, "l'adaptateur a disparu", "the adapter is gone"},
    {Said::NoFtdiAdapter, "aucun adaptateur FTDI branch\xC3\xA9", "no FTDI adapter attached"},
    {Said::OnlyDeviceZero, "seul le p\xC3\xA9riph\xC3\xA9rique 0 peut \xC3\xAAtre ouvert",
     "only device 0 can be opened"},
    {Said::LineSettingUnsupported, "r\xC3\xA9glage de ligne non pris en charge", "line setting not supported"},
    {Said::ReadOnlyFile, "le fichier est en lecture seule (il n'est pas remplac\xC3\xA9)",
     "the file is read-only (it is not replaced)"},
};

static_assert(std::size(kRows) == static_cast<std::size_t>(Said::Count), "one row per text");

} // namespace

std::string_view Text(Said id, int language) {
    const auto i = static_cast<std::size_t>(id);
    if (i >= std::size(kRows) || kRows[i].id != id) return {};
    return language == 2 ? kRows[i].english : kRows[i].french;
}

std::string Filled(std::string_view text, const std::string& a1, const std::string& a2, const std::string& a3) {
    std::string s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            s += text[i + 1] == '1' ? a1 : text[i + 1] == '2' ? a2 : a3;
            ++i;
        } else {
            s += text[i];
        }
    }
    return s;
}

std::string Reason(const std::string& english, int language) {
    if (language != 1) return english;
    std::string s = english;
    for (int i = static_cast<int>(Said::CannotOpen); i < static_cast<int>(Said::Count); ++i) {
        const std::string from = Text(static_cast<Said>(i), 2).data();
        const std::string to = Text(static_cast<Said>(i), 1).data();
        for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
            s.replace(at, from.size(), to);
    }
    return s;
}

} // namespace quelm
