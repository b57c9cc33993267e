// The controls of the main window with their design captions, initial texts
// and positions in twips, in window order.
#include "core/window_model.h"

#include "core/roles.h"

#include <string>

namespace quelm {

template <class T, class... A>
T* WindowModel::add(A&&... args) {
    auto owned = std::make_unique<T>(*this, std::forward<A>(args)...);
    T* raw = owned.get();
    owned_.push_back(std::move(owned));
    if constexpr (std::is_same_v<T, MenuItem>)
        menus_.push_back(raw);
    else
        controls_.push_back(raw);
    return raw;
}

namespace {
std::string indexed(const char* base, int i) { return std::string(base) + "(" + std::to_string(i) + ")"; }
} // namespace

WindowModel::WindowModel(Scheduler& scheduler) {
    buildLayout();
    buildTimers(scheduler);
}

void WindowModel::buildLayout() {
    using K = ControlKind;
    auto group = [&](int n, Group* in, Twips at, const char* caption) {
        Frame.set(static_cast<std::size_t>(n), add<Group>("Frame" + std::to_string(n), K::Group, in, at, caption));
        return Frame[static_cast<std::size_t>(n)];
    };
    auto text = [&](const std::string& name, Group* in, Twips at, const char* initial) {
        auto* t = add<TextBox>(name, K::TextBox, in, at, "");
        t->text_ = initial;
        return t;
    };
    auto option = [&](int n, Group* in, Twips at, const char* caption) {
        Option.set(static_cast<std::size_t>(n),
                   add<OptionButton>("Option" + std::to_string(n), K::Option, in, at, caption));
    };
    auto command = [&](int n, Group* in, Twips at, const char* caption, const char* picture = "") {
        Command.set(static_cast<std::size_t>(n), add<Button>("Command" + std::to_string(n), in, at, caption, picture));
    };
    // Options of a group standing one under the other, 360 twips apart.
    auto column = [&](int first, Group* in, std::initializer_list<const char*> captions) {
        int top = 480;
        for (const char* c : captions) {
            option(first++, in, {120, top, 2175, 255}, c);
            top += 360;
        }
    };

    // Menus.
    File = add<MenuItem>("File", nullptr, "Fichier");
    openfile = add<MenuItem>("openfile", File, "Ouvrir fichier");
    Savefile = add<MenuItem>("Savefile", File, "Sauver fichier");
    ProtocolTrace = add<MenuItem>("ProtocolTrace", File, "Trace du protocole");
    Site = add<MenuItem>("Site", File, "Chantier\xE2\x80\xA6");
    Quit = add<MenuItem>("Quit", File, "Quitter");
    Language = add<MenuItem>("Language", nullptr, "Langue");
    French = add<MenuItem>("French", Language, "Français");
    English = add<MenuItem>("English", Language, "English");
    French->checkable_ = English->checkable_ = true;

    // Detector number, number programming, box channel, test number.
    Group* f3 = group(3, nullptr, {120, 240, 3855, 855}, "Détecteur N°");
    Text3 = text("Text3", f3, {120, 360, 1935, 375}, "Text3");
    command(9, nullptr, {2280, 600, 1335, 375}, "Attendre N°");
    Group* f4 = group(4, nullptr, {4200, 240, 4095, 855}, "Programmation du N°");
    Text4 = text("Text4", f4, {120, 360, 1935, 375}, "Text4");
    command(6, f4, {2160, 300, 1815, 435}, "Programmer");
    Group* f5 = group(5, nullptr, {8520, 240, 2775, 855}, "Canal de la BOX");
    option(1, f5, {120, 360, 1215, 255}, "Canal A");
    option(2, f5, {1440, 360, 1215, 255}, "Canal B");
    Group* f11 = group(11, nullptr, {11520, 240, 3495, 855}, "Envoi d'un numéro pour test");
    Text7 = text("Text7", f11, {120, 360, 1935, 375}, "Text7");
    command(13, f11, {2160, 300, 1215, 435}, "Envoi");

    // Parameters.
    Group* f6 = group(6, nullptr, {120, 1200, 8175, 6735}, "Paramètres");
    Group* f7 = group(7, f6, {240, 360, 3615, 735}, "Canal du détecteur ");
    option(3, f7, {120, 360, 1575, 255}, "Canal A");
    option(4, f7, {1800, 360, 1575, 255}, "Canal B");
    Group* f8 = group(8, f6, {240, 1200, 2415, 3015}, "Temps dynamique +");
    column(5, f8, {"5 secondes", "30 secondes", "1 minute", "2 minutes", "5 minutes", "10 minutes"});
    Group* f12 = group(12, f6, {4080, 360, 3855, 735}, "Puissance de sortie");
    option(11, f12, {120, 360, 1095, 255}, "min");
    option(12, f12, {1320, 360, 1095, 255}, "med");
    option(13, f12, {2520, 360, 1095, 255}, "max");
    Group* f13 = group(13, f6, {2880, 1200, 2415, 3015}, "Temps de montée");
    column(14, f13,
           {"0,1 seconde", "0,5 seconde", "1 seconde", "1,5 secondes", "2 secondes", "3 secondes", "5 secondes"});
    Group* f14 = group(14, f6, {5520, 1200, 2415, 3015}, "Temps de descente");
    column(21, f14, {"10 secondes", "20 secondes", "30 secondes", "45 secondes", "1 minute", "2 minutes", "4 minutes"});
    Group* f15 = group(15, f6, {240, 5160, 2415, 855}, "Niveau ON+  (en %)");
    Text8 = text("Text8", f15, {120, 360, 2175, 375}, "");
    Group* f16 = group(16, f6, {2880, 5160, 2415, 855}, "Niveau DYN+  (en %)");
    Text9 = text("Text9", f16, {120, 360, 2175, 375}, "");
    Group* f17 = group(17, f6, {5520, 5160, 2415, 855}, "Niveau DYN-  (en %)");
    Text10 = text("Text10", f17, {120, 360, 2175, 375}, "");
    Group* f18 = group(18, f6, {2040, 4320, 4095, 735}, "Type de commande dynamique");
    option(29, f18, {120, 360, 1815, 255}, "L1");
    option(28, f18, {2040, 360, 1935, 255}, "L1 + L3");
    command(7, nullptr, {2160, 7320, 1935, 495}, "Lire les paramètres");
    command(8, nullptr, {4320, 7320, 1935, 495}, "Envoyer les paramètres");

    // Addresses: the frame is drawn around lists and buttons that stand in
    // window coordinates.
    group(20, nullptr, {8520, 1200, 6495, 6255}, "Adressage");
    Group* f1 = group(1, nullptr, {8640, 1560, 2655, 5175}, "Adresses reçues");
    Group* f2 = group(2, nullptr, {12240, 1560, 2655, 5175}, "Adresses à envoyer");
    for (int i = 0; i < 10; ++i) {
        const int top = 360 + 480 * i;
        const auto k = static_cast<std::size_t>(i);
        Label1.set(
            k, add<Label>(indexed("Label1", i), K::Label, f1, Twips{60, top + 60, 375, 255}, std::to_string(i + 1)));
        Text1.set(k, text(indexed("Text1", i), f1, {480, top, 1935, 375}, "Text1"));
        Label3.set(
            k, add<Label>(indexed("Label3", i), K::Label, f2, Twips{60, top + 60, 375, 255}, std::to_string(i + 1)));
        Text2.set(k, text(indexed("Text2", i), f2, {480, top, 1935, 375}, "Text2"));
    }
    command(3, nullptr, {11400, 3840, 735, 855}, "", "arrow");
    command(4, nullptr, {8640, 6840, 2655, 495}, "Lire les adresses");
    command(5, nullptr, {12240, 6840, 2655, 495}, "Envoyer les adresses");

    // Message line.
    Group* f9 = group(9, nullptr, {120, 8160, 8175, 735}, "Infos");
    Text5 = text("Text5", f9, {120, 240, 7935, 375}, "Text5");

    // Disk manager panel, hidden until a file menu item shows it.
    Group* f10 = group(10, nullptr, {3120, 1200, 6975, 5535}, "Disk manager");
    f10->setVisible(false);
    Text103 = text("Text103", f10, {240, 360, 3135, 375}, "Text103");
    Drvlist = add<ListBox>("Drvlist", K::DriveList, f10, Twips{240, 840, 3135, 315}, "");
    Dirlist = add<ListBox>("Dirlist", K::DirList, f10, Twips{240, 1320, 3135, 2175}, "");
    File1 = add<ListBox>("File1", K::FileList, f10, Twips{3600, 360, 3135, 3135}, "");
    Text6 = text("Text6", f10, {240, 3720, 3135, 375}, "Text6");
    command(12, f10, {240, 4200, 3135, 495}, "Créer ce nouveau dossier");
    command(11, f10, {3600, 4200, 1455, 495}, "OK");
    command(10, f10, {5280, 4200, 1455, 495}, "Cancel");

    Image1 = add<Picture>("Image1", nullptr, Twips{10800, 7320, 4215, 2415}, "box");

    // Hidden service controls: the tool calls their handlers as procedures.
    LoggerList = add<ListBox>("LoggerList", K::List, nullptr, Twips{840, 10680, 4095, 1200}, "");
    LoggerList->setLimit(kLogLines);
    ClassicOpen = add<Button>("ClassicOpen", nullptr, Twips{840, 12840, 1215, 495}, "Classic_Open");
    ClassicClose = add<Button>("ClassicClose", nullptr, Twips{2160, 12840, 1215, 495}, "Classic_Close");
    GetNumDevices = add<Button>("GetNumDevices", nullptr, Twips{3480, 12240, 1815, 495}, "FTID_Number_Devices");
    for (Control* c : {static_cast<Control*>(LoggerList), static_cast<Control*>(ClassicOpen),
                       static_cast<Control*>(ClassicClose), static_cast<Control*>(GetNumDevices)})
        c->setVisible(false);
}

void WindowModel::buildTimers(Scheduler& scheduler) {
    auto add = [&](std::size_t n, int interval) {
        ownedTimers_.push_back(std::make_unique<ModelTimer>(scheduler, "Timer" + std::to_string(n), interval));
        Timer.set(n, ownedTimers_.back().get());
        timerList_.push_back(Timer[n]);
    };
    // In the window's order of creation; the steps of a send follow its first.
    for (const TimerRole& role : timer::all) {
        add(role.number, role.intervalMs);
        if (role.number != timer::firstSendStep) continue;
        for (std::size_t step = timer::firstSendStep + 1; step <= timer::lastSendStep; ++step)
            add(step, timer::sendStepIntervalMs);
    }
}

} // namespace quelm
