#include "core/texts.h"

#include <cstring>

namespace quelm {

namespace {

struct Pair {
    const char* english;
    const char* french;
};

// The command line's sentences, keyed by their English wording (a printf
// format where they take values); the French keeps the same conversions in
// the same order.
constexpr Pair kPhrases[] = {
    // What is said on standard error.
    {"quelmbox-cli: STOP: %s%s\n", "quelmbox-cli : STOP : %s%s\n"},
    {"stopped by ", "arr\xC3\xAAt\xC3\xA9 par "},
    {"no answer before the time-out", "pas de r\xC3\xA9ponse avant la fin du d\xC3\xA9lai"},
    {"not over before the time-out", "pas fini avant la fin du d\xC3\xA9lai"},
    {"quelmbox-cli: %s\n", "quelmbox-cli : %s\n"},
    {" (see quelmbox-cli --help)", " (voir quelmbox-cli --help)"},
    {"no command given", "aucune commande donn\xC3\xA9"
                         "e"},
    {"unknown command: ", "commande inconnue : "},
    {"unknown option: ", "option inconnue : "},
    // The command line's arguments refused.
    {" takes A or B", " prend A ou B"},
    {" takes a detector number and exactly ten addresses",
     " prend un num\xC3\xA9ro de d\xC3\xA9tecteur et exactement dix adresses"},
    {" takes one file", " prend un fichier"},
    {" takes one number", " prend un num\xC3\xA9ro"},
    {"the box channel is A or B: ", "le canal de la BOX est A ou B : "},
    {"a test number is 0 to 1048574: ", "un num\xC3\xA9ro de test va de 0 \xC3\xA0 1048574 : "},
    {"a detector number is 0 to 1048574: ", "un num\xC3\xA9ro de d\xC3\xA9tecteur va de 0 \xC3\xA0 1048574 : "},
    {"a new number is 0 to 1048574: ", "un nouveau num\xC3\xA9ro va de 0 \xC3\xA0 1048574 : "},
    {"address %1 is not a whole number from 0 to 1048574: %2",
     "l'adresse %1 n'est pas un nombre entier de 0 \xC3\xA0 1048574 : %2"},
    {"%1 given twice", "%1 donn\xC3\xA9 deux fois"},
    {"--from-json needs a file (- for standard input)", "--from-json demande un fichier (- pour l'entr\xC3\xA9"
                                                        "e standard)"},
    {"cannot open it: no such file", "impossible de l'ouvrir : fichier inexistant"},
    {"it is a folder", "c'est un dossier"},
    {"cannot read it: it is not a regular file", "impossible de le lire : ce n'est pas un fichier ordinaire"},
    {"larger than 1 MiB, not read", "plus grand que 1 Mio, non lu"},
    {"cannot read it: ", "impossible de le lire : "},
    {"STOP: stopped by %1 before the end of the input; nothing sent",
     "STOP : arr\xC3\xAAt\xC3\xA9 par %1 avant la fin de l'entr\xC3\xA9"
     "e ; rien n'est envoy\xC3\xA9"},
    {"--timeout takes seconds above 0 and at most 86400, in digits with an optional fraction (30, 2.5): \"%1\"",
     "--timeout prend des secondes au-dessus de 0 et au plus 86400, en chiffres avec une fraction facultative (30, "
     "2.5) : \"%1\""},
    {"--lang takes fr or en: \"%1\"", "--lang prend fr ou en : \"%1\""},
    {"--from needs a project file", "--from demande un fichier de projet"},
    {"--save needs a file name", "--save demande un nom de fichier"},
    {" (for a box file, write --simulate=%1)", " (pour un fichier de BOX, \xC3\xA9"
                                               "crivez --simulate=%1)"},
    {"--from goes with send-params only", "--from ne va qu'avec send-params"},
    {"--from-json goes with send-params only", "--from-json ne va qu'avec send-params"},
    {"--with-addresses goes with read-params --save", "--with-addresses va avec read-params --save"},
    {"--save goes with read-params only", "--save ne va qu'avec read-params"},
    {"ports takes no argument", "ports ne prend pas d'argument"},
    {"'%1': use power=, channel=, dyn=, rise=, fall=, on=, dyn+=, dyn-= or type=",
     "'%1' : utilisez power=, channel=, dyn=, rise=, fall=, on=, dyn+=, dyn-= ou type="},
    {"wait-number takes no argument", "wait-number ne prend pas d'argument"},
    {"program-number takes the present number and the new one",
     "program-number prend le num\xC3\xA9ro actuel et le nouveau"},
    {"send-params takes a detector number and at least one FIELD=VALUE, --from FILE or --from-json FILE",
     "send-params prend un num\xC3\xA9ro de d\xC3\xA9tecteur et au moins un CHAMP=VALEUR, --from FICHIER ou "
     "--from-json FICHIER"},
    {"unknown member \"%1\": the fields are channel, dynamicTime, outputPower, riseTime, fallTime, levelOnPlus, "
     "levelDynPlus, levelDynMinus, commandType",
     "membre inconnu \"%1\" : les champs sont channel, dynamicTime, outputPower, riseTime, fallTime, levelOnPlus, "
     "levelDynPlus, levelDynMinus, commandType"},
    {"\"%1\" names %2, given twice", "\"%1\" d\xC3\xA9signe %2, donn\xC3\xA9 deux fois"},
    {"\"%1\" takes a number", "\"%1\" prend un nombre"},
    {"\"%1\" takes a text", "\"%1\" prend un texte"},
    {"%1 at character %2", "%1 au caract\xC3\xA8re %2"},
    {"an object '{' was expected", "un objet '{' \xC3\xA9tait attendu"},
    {"a quoted member name was expected", "un nom de membre entre guillemets \xC3\xA9tait attendu"},
    {"':' was expected", "':' \xC3\xA9tait attendu"},
    {"a value was expected", "une valeur \xC3\xA9tait attendue"},
    {"',' or '}' was expected", "',' ou '}' \xC3\xA9tait attendu"},
    {"text after the object", "du texte apr\xC3\xA8s l'objet"},
    {"%1 needs a value", "%1 demande une valeur"},
    {"--seed needs a whole number from 0 to 18446744073709551615, not \"%1\"",
     "--seed demande un nombre entier de 0 \xC3\xA0 18446744073709551615, pas \"%1\""},
    {"--simulate and --port cannot be used together", "--simulate et --port ne vont pas ensemble"},
    {"cannot load the simulated box: ", "impossible de charger la BOX simul\xC3\xA9"
                                        "e : "},
    {"quelmbox-cli: a write to the box failed (status %u)\n", "quelmbox-cli : une \xC3\xA9"
                                                              "criture vers la BOX a \xC3\xA9"
                                                              "chou\xC3\xA9 (\xC3\xA9tat %u)\n"},
    {"quelmbox-cli: not every address was read; nothing saved\n",
     "quelmbox-cli : toutes les adresses n'ont pas \xC3\xA9t\xC3\xA9 lues ; rien n'est enregistr\xC3\xA9\n"},
    {"quelmbox-cli: channel %s sent, but the box did not acknowledge it\n",
     "quelmbox-cli : canal %s envoy\xC3\xA9, mais la BOX ne l'a pas acquitt\xC3\xA9\n"},
    {"quelmbox-cli: channel %s sent, but the box reports channel %s\n",
     "quelmbox-cli : canal %s envoy\xC3\xA9, mais la BOX indique le canal %s\n"},
    {"quelmbox-cli: no byte came from the box on %s: check that the box is plugged into this port and powered%s\n",
     "quelmbox-cli : aucun octet n'est venu de la BOX sur %s : v\xC3\xA9rifiez que la BOX est branch\xC3\xA9"
     "e sur ce port et aliment\xC3\xA9"
     "e%s\n"},
    {"quelmbox-cli: no detector of this run answered on %s: if some are expected there, check that they are on "
     "the box's channel %s and within its reach, and that the box is plugged in and powered\n",
     "quelmbox-cli : aucun d\xC3\xA9tecteur de cette ex\xC3\xA9"
     "cution n'a r\xC3\xA9pondu sur %s : si certains y sont attendus, v\xC3\xA9rifiez qu'ils sont sur la voie %s "
     "de la BOX et \xC3\xA0 sa port\xC3\xA9"
     "e, et que la BOX est branch\xC3\xA9"
     "e et aliment\xC3\xA9"
     "e\n"},
    {" and that no other program uses the port", " et qu'aucun autre programme n'utilise le port"},
    {", that no other program uses the port and that the detector is within the box's reach",
     ", qu'aucun autre programme n'utilise le port et que le d\xC3\xA9tecteur est \xC3\xA0 port\xC3\xA9"
     "e de la BOX"},
    {"quelmbox-cli: no detector reported its number within %g s: check that one is powered, within the box's reach "
     "and on the box's channel %s\n",
     "quelmbox-cli : aucun d\xC3\xA9tecteur n'a donn\xC3\xA9 son num\xC3\xA9ro en %g s : v\xC3\xA9rifiez qu'il y en a "
     "un aliment\xC3\xA9, \xC3\xA0 port\xC3\xA9"
     "e de la BOX et sur le canal %s de la BOX\n"},
    {"quelmbox-cli: detector %s did not answer within %g s: check its number, that it is powered and that it is on "
     "the box's channel %s\n",
     "quelmbox-cli : le d\xC3\xA9tecteur %s n'a pas r\xC3\xA9pondu en %g s : v\xC3\xA9rifiez son num\xC3\xA9ro, "
     "qu'il est aliment\xC3\xA9 et qu'il est sur le canal %s de la BOX\n"},
    {"quelmbox-cli: the output could not be written%s%s\n", "quelmbox-cli : la sortie n'a pas pu \xC3\xAAtre \xC3\xA9"
                                                            "crite%s%s\n"},
    {"quelmbox-cli: the detector answered with %s, not %s\n",
     "quelmbox-cli : le d\xC3\xA9tecteur a r\xC3\xA9pondu avec %s, pas %s\n"},
    {"quelmbox-cli: no valid report in ten frames for address(es)%s\n",
     "quelmbox-cli : pas de r\xC3\xA9ponse valable en dix trames pour l'adresse ou les adresses%s\n"},
    // The report of what a stopped operation wrote.
    {"quelmbox-cli: the new number %s was not sent: detector %s keeps its number\n",
     "quelmbox-cli : le nouveau num\xC3\xA9ro %s n'a pas \xC3\xA9t\xC3\xA9 envoy\xC3\xA9 : le d\xC3\xA9tecteur %s "
     "garde "
     "son num\xC3\xA9ro\n"},
    {"quelmbox-cli: the detector answered with its new number %s\n",
     "quelmbox-cli : le d\xC3\xA9tecteur a r\xC3\xA9pondu avec son nouveau num\xC3\xA9ro %s\n"},
    {"quelmbox-cli: the new number %s was sent to detector %s and not confirmed: the detector may answer to either "
     "number\n",
     "quelmbox-cli : le nouveau num\xC3\xA9ro %s a \xC3\xA9t\xC3\xA9 envoy\xC3\xA9 au d\xC3\xA9tecteur %s sans "
     "confirmation : le d\xC3\xA9tecteur peut r\xC3\xA9pondre \xC3\xA0 l'un ou l'autre num\xC3\xA9ro\n"},
    {"quelmbox-cli: nothing was written to detector %s\n", "quelmbox-cli : rien n'a \xC3\xA9t\xC3\xA9 \xC3\xA9"
                                                           "crit dans le d\xC3\xA9tecteur %s\n"},
    {"quelmbox-cli: written to detector %s before the stop:\n",
     "quelmbox-cli : \xC3\xA9"
     "crit dans le d\xC3\xA9tecteur %s avant l'arr\xC3\xAAt :\n"},
    {"quelmbox-cli: %s %s shows what the detector holds now\n",
     "quelmbox-cli : %s %s montre ce que le d\xC3\xA9tecteur contient maintenant\n"},
    {"quelmbox-cli: written to detector %s before the box was lost:\n",
     "quelmbox-cli : \xC3\xA9"
     "crit dans le d\xC3\xA9tecteur %s avant la perte de la BOX :\n"},
    {"sent, not acknowledged by the box", "envoy\xC3\xA9, non acquitt\xC3\xA9 par la BOX"},
    {"acknowledged by the box, not read back", "acquitt\xC3\xA9 par la BOX, non relu"},
    {"acknowledged by the box, no answer since", "acquitt\xC3\xA9 par la BOX, pas de r\xC3\xA9ponse depuis"},
    {"read back", "relu"},
    {"the detector answered after it", "le d\xC3\xA9tecteur a r\xC3\xA9pondu ensuite"},
    {"detector channel", "canal du d\xC3\xA9tecteur"},
    {"dynamic time", "temps dynamique"},
    {"output power", "puissance d'\xC3\xA9mission"},
    {"rise time", "temps de mont\xC3\xA9"
                  "e"},
    {"fall time", "temps de descente"},
    {"level ON+", "niveau ON+"},
    {"level DYN+", "niveau DYN+"},
    {"level DYN-", "niveau DYN-"},
    {"dynamic command", "commande dynamique"},
    {"address", "adresse"},
    {"new number", "nouveau num\xC3\xA9ro"},
    // What is printed on standard output.
    {"Detector %s\n", "D\xC3\xA9tecteur %s\n"},
    {"level ON+ (%)", "niveau ON+ (%)"},
    {"level DYN+ (%)", "niveau DYN+ (%)"},
    {"level DYN- (%)", "niveau DYN- (%)"},
    {"  address %-3zu %lld\n", "  adresse %-3zu %lld\n"},
    {"box channel %s\n", "canal de la BOX %s\n"},
    {"test number %s sent\n", "num\xC3\xA9ro de test %s envoy\xC3\xA9\n"},
    {"Parameters sent and confirmed by a read, in %lld pass%s\n",
     "Param\xC3\xA8tres envoy\xC3\xA9s et confirm\xC3\xA9s par une lecture, en %lld passage%s\n"},
    {"Detector %s now answers to number %s\n", "Le d\xC3\xA9tecteur %s r\xC3\xA9pond maintenant au num\xC3\xA9ro %s\n"},
    {"A detector reported number %s\n", "Un d\xC3\xA9tecteur a donn\xC3\xA9 le num\xC3\xA9ro %s\n"},
    // The list of serial ports.
    {"  to set it to 1 ms: echo 1 | sudo tee /sys/class/tty/%s/device/latency_timer\n",
     "  pour le r\xC3\xA9gler \xC3\xA0 1 ms : echo 1 | sudo tee /sys/class/tty/%s/device/latency_timer\n"},
    {"  to set it to 1 ms: Device Manager, %s, Properties, Port Settings, Advanced, Latency Timer (msec): 1\n",
     "  pour le r\xC3\xA9gler \xC3\xA0 1 ms : Gestionnaire de p\xC3\xA9riph\xC3\xA9riques, %s, "
     "Propri\xC3\xA9t\xC3\xA9s, "
     "Param\xC3\xA8tres du port, Avanc\xC3\xA9, Latency Timer (msec) : 1\n"},
    {"not an FTDI adapter", "pas un adaptateur FTDI"},
    {"not an FTDI adapter (USB vendor %s)", "pas un adaptateur FTDI (fabricant USB %s)"},
    {"FTDI adapter (USB vendor 0403)", "adaptateur FTDI (fabricant USB 0403)"},
    {"latency timer not readable here", "temps de latence illisible ici"},
    {"latency timer %s ms", "temps de latence %s ms"},
    {"no serial port found\n", "aucun port s\xC3\xA9rie trouv\xC3\xA9\n"},
    {"quelmbox-cli: quelmbox-cli ports lists the serial ports; give the box's with --port\n",
     "quelmbox-cli : quelmbox-cli ports liste les ports s\xC3\xA9rie ; donnez celui de la BOX avec --port\n"},
    {"\nquelmbox-cli is run from a command prompt: open one in this folder and type quelmbox-cli with a command. "
     "Press a key to close this window.\n",
     "\nquelmbox-cli se lance depuis une invite de commandes : ouvrez-en une dans ce dossier et tapez "
     "quelmbox-cli suivi d'une commande. Appuyez sur une touche pour fermer cette fen\xC3\xAAtre.\n"},
    // The trace's notes on log lines whose words mislead.
    {"expected: the session is already open, the frame goes on it",
     "attendu : la session est d\xC3\xA9j\xC3\xA0 ouverte, la trame y passe"},
    {"connection test: a quiet tick, nothing read", "test de connexion : un tour calme, rien de lu"},
    // The site commands.
    {" needs a value", " demande une valeur"},
    {"--per-detector takes seconds as plain decimal digits, above 0 and at most 3600: ",
     "--per-detector prend des secondes en chiffres décimaux simples, au-dessus de 0 et au plus 3600 : "},
    {"survey takes detector numbers, such as 300-320,400, or --retry-absent REPORT",
     "survey prend des numéros de détecteurs, comme 300-320,400, ou --retry-absent RAPPORT"},
    {"apply takes one plan file (.csv or .json)", "apply prend un fichier de plan (.csv ou .json)"},
    {"audit takes one folder of project files", "audit prend un dossier de fichiers projet"},
    {"--save-dir, --report, --retry-absent, --dry-run, --stop-on-error and --per-detector go with survey, apply and "
     "audit",
     "--save-dir, --report, --retry-absent, --dry-run, --stop-on-error et --per-detector vont avec survey, apply et "
     "audit"},
    {"--retry-absent goes with survey", "--retry-absent va avec survey"},
    {"--save goes with read-params; survey takes --save-dir", "--save va avec read-params ; survey prend --save-dir"},
    {"--with-addresses goes with survey or read-params", "--with-addresses va avec survey ou read-params"},
    {"--save-dir goes with survey", "--save-dir va avec survey"},
    {"--dry-run and --stop-on-error go with apply", "--dry-run et --stop-on-error vont avec apply"},
    {"survey --retry-absent REPORT takes its numbers from the report: give no others",
     "survey --retry-absent RAPPORT prend ses numéros dans le rapport : n'en donnez pas d'autres"},
    {", about %s left", ", reste environ %s"},
    {", wrote", ", écrit"},
    {", now answers to ", ", répond maintenant au "},
    {", saved ", ", enregistré "},
    {", read twice:", ", lu deux fois :"},
    {"parameters", "paramètres"},
    {"addresses", "adresses"},
    {" (its values are uncertain: read it again)", " (ses valeurs sont incertaines : relisez-le)"},
    {"  wrote %s %s: %s\n", "  écrit %s %s : %s\n"},
    {"confirmed by the detector", "confirmé par le détecteur"},
    {"acknowledged by the box, not confirmed", "acquitté par la BOX, non confirmé"},
    {"file", "fichier"},
    {"plan", "plan"},
    {"detector ", "détecteur "},
    {"(none)", "(aucun)"},
    {"STOP: stopped by ", "STOP : arrêté par "},
    {" while reading the plan; nothing sent", " pendant la lecture du plan ; rien n'est envoyé"},
    {"plan refused, nothing sent", "plan refusé, rien n'est envoyé"},
    {": not a detector number, left aside", " : pas un numéro de détecteur, laissé de côté"},
    {": no project file NUMBER.bdp", " : aucun fichier projet NUMÉRO.bdp"},
    {"cannot make the folder ", "impossible de créer le dossier "},
    {"--report - and --json both write to the standard output: give one of them",
     "--report - et --json écrivent tous deux sur la sortie standard : donnez l'un des deux"},
    {"; nothing sent (--report - writes it there)", " ; rien n'est envoyé (--report - l'écrit là)"},
    {"; nothing sent", " ; rien n'est envoyé"},
    {": no detector recorded absent (probe)", " : aucun détecteur noté absent (sonde)"},
    {"to ask again: %zu, each silent number %s s at most, %s at most in all; "
     "a detector that answers is read as usual\n",
     "à interroger de nouveau : %zu, chaque numéro muet %s s au plus, %s au plus en tout ; "
     "un détecteur qui répond est lu comme d'habitude\n"},
    {"the time-out ran out", "le délai est écoulé"},
    {"; the report holds what was done until then", " ; le rapport contient ce qui a été fait jusque-là"},
    {"not a site report: no detector and state columns",
     "pas un rapport de chantier : pas de colonnes détecteur et état"},
    {"'%1': a detector is a number from 0 to 1048574, a range is FIRST-LAST",
     "'%1' : un détecteur est un numéro de 0 à 1048574, une plage s'écrit PREMIER-DERNIER"},
    {"'%1': a range runs from the lower number to the higher",
     "'%1' : une plage va du plus petit numéro au plus grand"},
    {"'%1': at most %2 detectors in one run", "'%1' : au plus %2 détecteurs en une fois"},
    {"at most %1 detectors in one run", "au plus %1 détecteurs en une fois"},
    {"more than %1 detectors: at most %1 in one run", "plus de %1 détecteurs : au plus %1 en une fois"},
    // The plan reader's mistakes, "%1" standing for what it fills in.
    {"line %1", "ligne %1"},
    {"%1='%2': a level is a whole percent from 0 to %3", "%1='%2' : un niveau est un pourcentage entier de 0 à %3"},
    {"%1='%2': use %3", "%1='%2' : valeurs possibles %3"},
    {"detector %1", "détecteur %1"},
    {" (as '%1')", " (comme '%1')"},
    {"addresses: ten numbers wanted, more given", "adresses : dix nombres attendus, plus sont donnés"},
    {"addresses: ten numbers wanted, %1 given", "adresses : dix nombres attendus, %1 donnés"},
    {"address %1 '%2' is not a whole number from 0 to 1048574",
     "l'adresse %1 '%2' n'est pas un nombre entier de 0 à 1048574"},
    {"the reading was stopped before the end of the plan", "la lecture a été arrêtée avant la fin du plan"},
    {"more than %1 detectors: at most %1 in one run; make several plans",
     "plus de %1 détecteurs : au plus %1 en une fois ; faites plusieurs plans"},
    {"'%1' given twice", "'%1' donné deux fois"},
    {"no detector number", "pas de numéro de détecteur"},
    {"newNumber %1 is the number of the detector on line %2",
     "le nouveau numéro %1 est celui du détecteur de la ligne %2"},
    {"detector '%1': a number from 0 to 1048574", "détecteur '%1' : un numéro de 0 à 1048574"},
    {"newNumber '%1': a number from 0 to 1048574", "nouveau numéro '%1' : un numéro de 0 à 1048574"},
    {"'%1' is no column of a plan", "'%1' n'est pas une colonne de plan"},
    {": a level is sent as a whole percent from 0 to 100", " : un niveau s'envoie en pourcentage entier de 0 à 100"},
    {"detector %1 is already on line %2", "le détecteur %1 est déjà à la ligne %2"},
    {"newNumber is the detector's own number", "le nouveau numéro est le numéro du détecteur lui-même"},
    {"the detector of line %2 would answer to %1 as well", "le détecteur de la ligne %2 répondrait aussi à %1"},
    {"more than %1 columns: no plan has so many", "plus de %1 colonnes : aucun plan n'en a autant"},
    {"the header names no 'detector' column", "l'en-tête n'a pas de colonne 'detector' ni 'détecteur'"},
    {"column '%1' named twice", "colonne '%1' nommée deux fois"},
    {"more", "plus de"},
    {"%1 cells, the header names %2 columns", "%1 cellules, l'en-tête a %2 colonnes"},
    {"a quote opened here is never closed", "un guillemet ouvert ici n'est jamais fermé"},
    {"no header line, and no detector", "pas de ligne d'en-tête, et aucun détecteur"},
    {"entry %1 of the list is not an object", "l'élément %1 de la liste n'est pas un objet"},
    {"the plan names no detector", "le plan ne nomme aucun détecteur"},
    {"the plan was read no further: its first mistakes are above",
     "le plan n'a pas été lu plus loin : ses premières erreurs sont ci-dessus"},
    {"more than %1 members in one object: no plan has so many",
     "plus de %1 membres dans un objet : aucun plan n'en a autant"},
    {"not JSON: %1", "pas du JSON : %1"},
    {"\"%1\": %2 is no value of a plan", "\"%1\" : %2 n'est pas une valeur de plan"},
    {"object", "un objet"},
    {"array", "une liste"},
    {"a JSON plan is a list of objects, or an object with a \"detectors\" list",
     "un plan JSON est une liste d'objets, ou un objet avec une liste \"detectors\""},
    {"larger than 4 MiB, not a plan", "plus de 4 Mio, ce n'est pas un plan"},
    // The live status line.
    {"detector %s", "d\xC3\xA9tecteur %s"},
    {"looking for the box", "recherche de la BOX"},
    {"waiting for a detector to report its number", "attente d'un d\xC3\xA9tecteur qui donne son num\xC3\xA9ro"},
    {"waiting for an answer", "attente de la r\xC3\xA9ponse"},
    {"no answer, try %d", "pas de r\xC3\xA9ponse, essai %d"},
    {"no valid answer, try %d", "pas de r\xC3\xA9ponse valable, essai %d"},
    {"pass %d", "passage %d"},
    {"address %d", "adresse %d"},
    {"Ctrl-C stops", "Ctrl-C arr\xC3\xAAte"},
    // show-file.
    {"File %s: %zu values%s\n", "Fichier %s : %zu valeurs%s\n"},
    {" (fewer than 19: the window would not open it)", " (moins de 19 : la fen\xC3\xAAtre ne l'ouvrirait pas)"},
    {"(unchanged)", "(inchang\xC3\xA9)"},
    {"Lines not used:\n", "Lignes non utilis\xC3\xA9"
                          "es :\n"},
    {"  line %d: %s\n", "  ligne %d : %s\n"},
    {"  line %d \"%s\": %s\n", "  ligne %d \"%s\" : %s\n"},
    {"values %1 to 19 missing: the window loads the addresses read and nothing else, and leaves the panel open",
     "valeurs %1 \xC3\xA0 19 absentes : la fen\xC3\xAAtre charge les adresses lues et rien d'autre, et laisse le "
     "panneau ouvert"},
    {": the level box shows %1", " : la case du niveau montre %1"},
    {": left unchanged", " : laiss\xC3\xA9 tel quel"},
    // Inputs refused, reports of a cut command, reads that disagree.
    {"  %s: %s\n", "  %s : %s\n"},
    {"quelmbox-cli: written to detector %s before the failure:\n", "quelmbox-cli : \xC3\xA9"
                                                                   "crit dans le d\xC3\xA9tecteur %s avant l'\xC3\xA9"
                                                                   "chec :\n"},
    {"nothing to send: the document gives no field a value (every one is absent or null)",
     "rien \xC3\xA0 envoyer : le document ne donne de valeur \xC3\xA0 aucun champ (chacun est absent ou null)"},
    {"\"%1\" holds a NUL character: no file name or value holds one",
     "\"%1\" contient un caract\xC3\xA8re NUL : aucun nom de fichier ni aucune valeur n'en contient"},
    {"file '%1': a file name holds no NUL character",
     "fichier '%1' : un nom de fichier ne contient pas de caract\xC3\xA8re NUL"},
    {"%1: fewer than 19 values, not a project file", "%1 : moins de 19 valeurs, ce n'est pas un fichier projet"},
    {"%1: not a project file, nothing sent", "%1 : ce n'est pas un fichier projet, rien n'est envoy\xC3\xA9"},
    {"; line %1 \"%2\": %3", " ; ligne %1 \"%2\" : %3"},
    {"not a level from 0 to 100", "pas un niveau de 0 \xC3\xA0 100"},
    {"matches no option of the %1", "ne correspond \xC3\xA0 aucune option (%1)"},
    {"quelmbox-cli: %s: the detector holds a value no choice stands for; nothing sent, give %s=%s\n",
     "quelmbox-cli : %s : le d\xC3\xA9tecteur contient une valeur qu'aucun choix ne repr\xC3\xA9sente ; rien n'est "
     "envoy\xC3\xA9, donnez %s=%s\n"},
    {"quelmbox-cli: %d reads, no two in a row alike: replies other than the detector's are on the line\n",
     "quelmbox-cli : %d lectures, jamais deux de suite identiques : des r\xC3\xA9ponses autres que celles du "
     "d\xC3\xA9tecteur passent sur la ligne\n"},
    {"read %1 times: something unusual was seen on the line; the last two reads agree",
     "lu %1 fois : quelque chose d'inhabituel est pass\xC3\xA9 sur la ligne ; les deux derni\xC3\xA8res lectures "
     "concordent"},
};

} // namespace

const char* Phrase(const char* english, int language) {
    if (language != 1) return english;
    for (const Pair& p : kPhrases)
        if (std::strcmp(p.english, english) == 0) return p.french;
    return english;
}

} // namespace quelm
