#include "cli/commands.h"

#include "cli/address_commands.h"
#include "cli/box_runs.h"
#include "cli/cli_language.h"
#include "cli/port_commands.h"
#include "cli/project_commands.h"
#include "cli/send_commands.h"
#include "cli/site_commands.h"

namespace quelm::cli {

namespace {

int Ports(const std::string&, bool json, std::FILE* out, std::FILE*) { return ListPorts(json, out); }

// clang-format off
const std::vector<Command> kCommands = {
    {"read-params", Arguments::detector, kSave | kWithAddresses,
     " takes one number",
     false, false, Awaits::detector, std::nullopt, nullptr, ReadParams, nullptr,
     {"  read-params NUMBER  read the nine parameters of detector NUMBER (0 to 1048574)\n",
      "  read-params NUM\xC3\x89RO  lit les neuf param\xC3\xA8tres du d\xC3\xA9tecteur NUM\xC3\x89RO (0 \xC3\xA0 "
      "1048574)\n"}},
    {"read-addresses", Arguments::detector, 0,
     " takes one number",
     false, false, Awaits::detector, std::nullopt, nullptr, ReadAddresses, nullptr,
     {"  read-addresses NUMBER\n"
      "                      read the ten addresses of detector NUMBER\n",
      "  read-addresses NUM\xC3\x89RO\n"
      "                      lit les dix adresses du d\xC3\xA9tecteur NUM\xC3\x89RO\n"}},
    {"send-addresses", Arguments::detectorAndAddresses, 0,
     " takes a detector number and exactly ten addresses",
     true, true, Awaits::detector, std::nullopt, "read-addresses", SendAddresses, nullptr,
     {"  send-addresses NUMBER A1 A2 ... A10\n"
      "                      write the ten addresses A1 to A10 (each 0 to 1048574) into\n"
      "                      detector NUMBER and read each back until it agrees\n",
      "  send-addresses NUM\xC3\x89RO A1 A2 ... A10\n"
      "                      \xC3\xA9"
      "crit les dix adresses A1 \xC3\xA0 A10 (chacune de 0 \xC3\xA0 1048574) dans\n"
      "                      le d\xC3\xA9tecteur NUM\xC3\x89RO et relit chacune jusqu'\xC3\xA0 l'accord\n"}},
    {"channel", Arguments::channel, 0,
     " takes A or B",
     false, false, Awaits::box, std::nullopt, nullptr, SetChannel, nullptr,
     {"  channel A|B         set the channel of the box\n",
      "  channel A|B         choisit le canal de la BOX\n"}},
    {"test-number", Arguments::testNumber, 0,
     " takes one number",
     false, false, Awaits::box, std::nullopt, nullptr, SendTestNumber, nullptr,
     {"  test-number NUMBER  send the box the test number NUMBER (0 to 1048574)\n",
      "  test-number NUM\xC3\x89RO  envoie \xC3\xA0 la BOX le num\xC3\xA9ro de test NUM\xC3\x89RO (0 \xC3\xA0 1048574)\n"}},
    {"show-file", Arguments::file, 0,
     " takes one file",
     false, false, Awaits::nothing, std::nullopt, nullptr, nullptr, ShowFile,
     {"  show-file FILE      print the 19 values of a project file (.bdp) as the\n"
      "                      window would load them, and the lines it cannot use\n",
      "  show-file FICHIER   affiche les 19 valeurs d'un fichier de projet (.bdp) comme\n"
      "                      la fen\xC3\xAAtre les chargerait, et les lignes inutilisables\n"}},
    {"send-params", Arguments::sendFields, kFrom | kFromJson,
     "send-params takes a detector number and at least one FIELD=VALUE, --from FILE or --from-json FILE",
     true, true, Awaits::detector, std::nullopt, "read-params", SendParams, nullptr,
     {"  send-params NUMBER FIELD=VALUE ...\n"
      "                      write the given parameters into detector NUMBER and\n"
      "                      read them back; the others keep the detector's values:\n"
      "                      power=max|med|min channel=A|B dyn=5s|30s|1min|2min|5min|10min\n"
      "                      rise=0.1s|0.5s|1s|1.5s|2s|3s|5s fall=10s|20s|30s|45s|1min|2min|4min\n"
      "                      on=N dyn+=N dyn-=N (0 to 100) type=L1|L1+L3\n",
      "  send-params NUM\xC3\x89RO CHAMP=VALEUR ...\n"
      "                      \xC3\xA9"
      "crit les param\xC3\xA8tres donn\xC3\xA9s dans le d\xC3\xA9tecteur NUM\xC3\x89RO et\n"
      "                      les relit ; les autres gardent les valeurs du d\xC3\xA9tecteur :\n"
      "                      power=max|med|min channel=A|B dyn=5s|30s|1min|2min|5min|10min\n"
      "                      rise=0.1s|0.5s|1s|1.5s|2s|3s|5s fall=10s|20s|30s|45s|1min|2min|4min\n"
      "                      on=N dyn+=N dyn-=N (0 \xC3\xA0 100) type=L1|L1+L3\n"}},
    {"program-number", Arguments::oldAndNew, 0,
     "program-number takes the present number and the new one",
     true, true, Awaits::detector, std::nullopt, nullptr, ProgramNumber, nullptr,
     {"  program-number OLD NEW\n"
      "                      give detector OLD the number NEW (0 to 1048574)\n",
      "  program-number ANCIEN NOUVEAU\n"
      "                      donne au d\xC3\xA9tecteur ANCIEN le num\xC3\xA9ro NOUVEAU (0 \xC3\xA0 1048574)\n"}},
    {"wait-number", Arguments::none, 0,
     "wait-number takes no argument",
     false, true, Awaits::anyDetector, std::nullopt, nullptr, WaitNumber, nullptr,
     {"  wait-number         run the connection test and print the number a\n"
      "                      detector reports\n",
      "  wait-number         lance le test de liaison et affiche le num\xC3\xA9ro qu'un\n"
      "                      d\xC3\xA9tecteur donne\n"}},
    {"ports", Arguments::none, 0,
     "ports takes no argument",
     false, false, Awaits::nothing, std::nullopt, nullptr, nullptr, Ports,
     {"  ports               list the serial ports: the name to give to --port,\n"
      "                      whether it is an FTDI adapter and its latency timer\n",
      "  ports               liste les ports s\xC3\xA9rie : le nom \xC3\xA0 donner \xC3\xA0 --port, s'il\n"
      "                      s'agit d'un adaptateur FTDI et son temps de latence\n"}},
    {"survey", Arguments::detectorList, kWithAddresses | kSaveDir | kReport | kRetryAbsent | kPerDetector,
     "survey takes detector numbers, such as 300-320,400, or --retry-absent REPORT",
     false, false, Awaits::detectors, SiteMode::survey, nullptr, RunSiteCommand, nullptr,
     {"  survey NUMBERS      read each detector of NUMBERS (such as 300-320,400) and\n"
      "                      report it; --save-dir DIR writes DIR/NUMBER.bdp for each\n"
      "                      that answered, as the window saves it\n",
      "  survey NUM\xC3\x89ROS      lit chaque d\xC3\xA9tecteur de NUM\xC3\x89ROS (par exemple 300-320,400) et\n"
      "                      en rend compte ; --save-dir DOSSIER \xC3\xA9"
      "crit DOSSIER/NUM\xC3\x89RO.bdp\n"
      "                      pour chacun qui a r\xC3\xA9pondu, comme la fen\xC3\xAAtre l'enregistre\n"}},
    {"apply", Arguments::plan, kReport | kDryRun | kStopOnError | kPerDetector,
     "apply takes one plan file (.csv or .json)",
     true, false, Awaits::detectors, SiteMode::apply, nullptr, RunSiteCommand, nullptr,
     {"  apply PLAN          give each detector of a plan (.csv or .json) its\n"
      "                      parameters, addresses, project file or new number, each\n"
      "                      confirmed by a read; --dry-run only says what differs\n",
      "  apply PLAN          donne \xC3\xA0 chaque d\xC3\xA9tecteur d'un plan (.csv ou .json) ses\n"
      "                      param\xC3\xA8tres, adresses, fichier de projet ou nouveau num\xC3\xA9ro,\n"
      "                      chacun confirm\xC3\xA9 par une lecture ; --dry-run dit seulement ce\n"
      "                      qui diff\xC3\xA8re\n"}},
    {"audit", Arguments::folder, kReport | kPerDetector,
     "audit takes one folder of project files",
     false, false, Awaits::detectors, SiteMode::audit, nullptr, RunSiteCommand, nullptr,
     {"  audit DIR           read every detector with a project file NUMBER.bdp in DIR\n"
      "                      and report where it differs from its file\n",
      "  audit DOSSIER       lit chaque d\xC3\xA9tecteur ayant un fichier NUM\xC3\x89RO.bdp dans\n"
      "                      DOSSIER et dit en quoi il diff\xC3\xA8re de son fichier\n"}},
};
// clang-format on

const char* const kUsageHead[2] = {"Usage: quelmbox-cli [options] COMMAND\n"
                                   "Commands:\n",
                                   "Utilisation : quelmbox-cli [options] COMMANDE\n"
                                   "Commandes :\n"};

const char* const kUsageOptions[2] = {
    "Options:\n"
    "  --simulate[=FILE]   talk to a simulated box described by FILE\n"
    "                      (default: simbox.txt next to the program)\n"
    "  --port PATH         use this serial port instead of the first FTDI adapter\n"
    "  --seed N            seed of the simulated box's faults\n"
    "  --from FILE         send-params: send the parameter set of a project file\n"
    "                      (FIELD=VALUE given as well take precedence); a file\n"
    "                      with a line no option or level (0 to 100) takes is refused\n"
    "  --from-json FILE    send-params: send the fields of a JSON object as\n"
    "                      read-params --json prints it (- for standard input)\n"
    "  --with-addresses    read-params --save, survey: read the ten addresses too and\n"
    "                      write them into the file\n"
    "  --save-dir DIR      survey: write a project file per detector into DIR\n"
    "  --report FILE       survey, apply, audit: write the report to FILE, CSV or,\n"
    "                      for a name ending in .json, JSON (- for standard output)\n"
    "  --dry-run           apply: read each detector and print what would be\n"
    "                      written; write nothing\n"
    "  --stop-on-error     apply: end the run at the first detector not done\n"
    "  --per-detector SECONDS\n"
    "                      survey, apply, audit: the longest any one operation on a\n"
    "                      detector may take (default 12); a detector that does not\n"
    "                      answer costs this once, and the run goes on\n"
    "  --save FILE         read-params: write the parameters read to the project\n"
    "                      file FILE, as the window saves them (address lines\n"
    "                      empty unless --with-addresses)\n"
    "  --json              print the parameters as JSON (the addresses as a list)\n"
    "  --trace             print every frame sent and received, with a time stamp,\n"
    "                      on standard error\n"
    "  --timeout SECONDS   stop as the stop key does when the operation has not\n"
    "                      ended by then (default 30; survey, apply and audit:\n"
    "                      the whole run, no limit unless given)\n"
    "  --print-udev-rule   print the udev rule that gives the user at the seat\n"
    "                      access to FTDI adapters (the package installs it)\n"
    "  --lang fr|en        the language of the messages (default: the one of\n"
    "                      param_box.dat, else the system's)\n"
    "  --version           print the version\n"
    "Exit codes: 0 done (for send-params: a read shows every value; for\n"
    "            program-number: the detector answered with NEW), 1 no valid answer,\n"
    "            a failed write, not confirmed or an address not read, 2 bad arguments,\n"
    "            3 no box or several, 4 stopped by the time-out, 130 (SIGINT) or\n"
    "            143 (SIGTERM) stopped by the signal as by the stop key; a stopped send\n"
    "            says what it wrote. Output that cannot be written gives 1.\n"
    "            survey, apply, audit: 0 when every detector is done (apply --dry-run:\n"
    "            every detector read; audit: every detector agrees with its file),\n"
    "            1 otherwise, 2 a plan refused (nothing sent).\n",
    "Options :\n"
    "  --simulate[=FICHIER] parle \xC3\xA0 une BOX simul\xC3\xA9"
    "e d\xC3\xA9"
    "crite par FICHIER\n"
    "                      (par d\xC3\xA9"
    "faut : simbox.txt \xC3\xA0 c\xC3\xB4t\xC3\xA9 du programme)\n"
    "  --port CHEMIN       utilise ce port s\xC3\xA9rie au lieu du premier adaptateur FTDI\n"
    "  --seed N            graine des d\xC3\xA9"
    "fauts de la BOX simul\xC3\xA9"
    "e\n"
    "  --from FICHIER      send-params : envoie les param\xC3\xA8tres d'un fichier de projet\n"
    "                      (les CHAMP=VALEUR donn\xC3\xA9s aussi l'emportent) ; un fichier\n"
    "                      dont une ligne ne donne ni option ni niveau (0 \xC3\xA0 100) est refus\xC3\xA9\n"
    "  --from-json FICHIER send-params : envoie les champs d'un objet JSON tel que\n"
    "                      read-params --json l'affiche (- pour l'entr\xC3\xA9"
    "e standard)\n"
    "  --with-addresses    read-params --save, survey : lit aussi les dix adresses et\n"
    "                      les \xC3\xA9"
    "crit dans le fichier\n"
    "  --save-dir DOSSIER  survey : \xC3\xA9"
    "crit un fichier de projet par d\xC3\xA9tecteur dans DOSSIER\n"
    "  --report FICHIER    survey, apply, audit : \xC3\xA9"
    "crit le compte rendu dans FICHIER, en\n"
    "                      CSV ou, pour un nom finissant par .json, en JSON (- pour la\n"
    "                      sortie standard)\n"
    "  --dry-run           apply : lit chaque d\xC3\xA9tecteur et affiche ce qui serait \xC3\xA9"
    "crit ;\n"
    "                      n'\xC3\xA9"
    "crit rien\n"
    "  --stop-on-error     apply : termine au premier d\xC3\xA9tecteur non fait\n"
    "  --per-detector SECONDES\n"
    "                      survey, apply, audit : la plus longue dur\xC3\xA9"
    "e d'une op\xC3\xA9ration\n"
    "                      sur un d\xC3\xA9tecteur (12 par d\xC3\xA9"
    "faut) ; un d\xC3\xA9tecteur qui ne\n"
    "                      r\xC3\xA9pond pas la co\xC3\xBBte une fois, et la suite continue\n"
    "  --save FICHIER      read-params : \xC3\xA9"
    "crit les param\xC3\xA8tres lus dans le fichier de\n"
    "                      projet FICHIER, comme la fen\xC3\xAAtre (lignes d'adresse vides\n"
    "                      sans --with-addresses)\n"
    "  --json              affiche les param\xC3\xA8tres en JSON (les adresses en liste)\n"
    "  --trace             affiche chaque trame envoy\xC3\xA9"
    "e et re\xC3\xA7ue, avec l'heure, sur la\n"
    "                      sortie d'erreur\n"
    "  --timeout SECONDES  arr\xC3\xAAte comme la touche d'arr\xC3\xAAt quand l'op\xC3\xA9ration n'est pas\n"
    "                      finie \xC3\xA0 temps (30 par d\xC3\xA9"
    "faut ; survey, apply et audit : toute\n"
    "                      la suite, sans limite s'il n'est pas donn\xC3\xA9)\n"
    "  --print-udev-rule   affiche la r\xC3\xA8gle udev qui donne \xC3\xA0 l'utilisateur du poste\n"
    "                      l'acc\xC3\xA8s aux adaptateurs FTDI (le paquet l'installe)\n"
    "  --lang fr|en        la langue des messages (par d\xC3\xA9"
    "faut : celle de\n"
    "                      param_box.dat, sinon celle du syst\xC3\xA8me)\n"
    "  --version           affiche la version\n"
    "Codes de sortie : 0 fait (send-params : une lecture montre chaque valeur ;\n"
    "            program-number : le d\xC3\xA9tecteur a r\xC3\xA9pondu avec NOUVEAU), 1 pas de\n"
    "            r\xC3\xA9ponse valable, une \xC3\xA9"
    "criture \xC3\xA9"
    "chou\xC3\xA9"
    "e, non confirm\xC3\xA9 ou une adresse\n"
    "            non lue, 2 arguments erron\xC3\xA9s, 3 aucune BOX ou plusieurs, 4 arr\xC3\xAAt\xC3\xA9 par\n"
    "            le d\xC3\xA9lai, 130 (SIGINT) ou 143 (SIGTERM) arr\xC3\xAAt\xC3\xA9 par le signal comme par\n"
    "            la touche d'arr\xC3\xAAt ; un envoi arr\xC3\xAAt\xC3\xA9 dit ce qu'il a \xC3\xA9"
    "crit. Une sortie\n"
    "            qui ne peut pas \xC3\xAAtre \xC3\xA9"
    "crite donne 1.\n"
    "            survey, apply, audit : 0 quand chaque d\xC3\xA9tecteur est fait (apply\n"
    "            --dry-run : chacun lu ; audit : chacun conforme \xC3\xA0 son fichier),\n"
    "            1 sinon, 2 un plan refus\xC3\xA9 (rien n'est envoy\xC3\xA9).\n"};

} // namespace

const std::vector<Command>& Commands() { return kCommands; }

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

bool Accepts(const Command* command, unsigned bits) { return command != nullptr && (command->options & bits) == bits; }

std::string ArgumentsWanted(const Command& command) {
    return command.wanted[0] == ' ' ? command.name + std::string(Tr(command.wanted)) : Tr(command.wanted);
}

std::string UsageText(int language) {
    const int at = language == 1 ? 1 : 0;
    std::string text = kUsageHead[at];
    for (const Command& c : kCommands) text += c.usage[at];
    return text + kUsageOptions[at];
}

} // namespace quelm::cli
