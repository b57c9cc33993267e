#include "site/site_texts.h"

#include "site/detector_list.h"

#include <cstdio>

namespace quelm {

std::string StateText(DetectorState s, int language) {
    if (language != 1) return StateName(s);
    switch (s) {
    case DetectorState::done: return "fait";
    case DetectorState::differs: return "diffère";
    case DetectorState::failed: return "échec";
    case DetectorState::noAnswer: return "pas de réponse";
    case DetectorState::stopped: return "arrêté";
    case DetectorState::noBox: return "pas de BOX";
    default: return "non fait";
    }
}

std::string ResultText(const DetectorReport& r, const std::string& command, int language) {
    const auto said = [language](const char* french, const char* english) {
        return std::string(InLanguage(language, french, english));
    };
    if (r.uncertain) {
        std::string text = r.failure;
        text.append(InLanguage(language, " ; valeurs incertaines, relire le détecteur ; écrit : ",
                               "; values uncertain, read the detector again; written: "));
        return text.append(DescribeCutWrites(r.cutWrites));
    }
    if (!r.failure.empty()) return r.failure;
    if (!r.written.empty()) {
        std::string fields;
        for (const std::string& w : r.written) fields += " " + w;
        return said("écrit et confirmé :", "written and confirmed:") + fields;
    }
    if (!r.reached) return {};
    if (command == "audit") return said("lu, comparé à ", "read, compared with ") + r.projectFile;
    if (command == "survey" && !r.projectFile.empty()) return said("lu, enregistré ", "read, saved ") + r.projectFile;
    if (command == "apply --dry-run" && r.differences.empty())
        return said("lu, rien à écrire", "read, nothing to write");
    return said("lu", "read");
}

std::string DifferencesText(const DetectorReport& r, const std::string& command, int language) {
    const std::string other = command == "audit" ? InLanguage(language, "fichier", "file") : "plan";
    std::string items;
    for (const FieldDifference& d : r.differences) {
        if (!items.empty()) items += "; ";
        items.append(d.field).append(InLanguage(language, " : détecteur ", ": detector "));
        items.append(d.detector.empty() ? std::string("-") : d.detector).append(", ").append(other);
        items.append(" ").append(d.wanted);
    }
    return items;
}

std::string ProgressText(const SiteProgress& p, int language) {
    std::string left;
    if (p.finished > 0) {
        const auto seconds = static_cast<long>(
            p.elapsedSeconds / static_cast<double>(p.finished) * static_cast<double>(p.count - p.finished) + 0.5);
        char twoDigits[4];
        std::snprintf(twoDigits, sizeof twoDigits, "%02ld", seconds % 60);
        left = InLanguage(language, ", reste environ ", ", about ") + std::to_string(seconds / 60) + " min " +
               twoDigits + InLanguage(language, " s", " s left");
    }
    return InLanguage(language, "Détecteur ", "Detector ") + std::to_string(p.index + 1) +
           InLanguage(language, " sur ", " of ") + std::to_string(p.count) + " (" + p.detector +
           ") : " + StepName(p.step, language) + left;
}

std::string SummaryText(const std::vector<DetectorReport>& rows, int language) {
    if (rows.empty()) return {};
    const SiteSummary sum = Summarize(rows);
    if (language != 1) return SummaryLine(sum);
    return std::to_string(sum.detectors) + " détecteur(s) : " + std::to_string(sum.reached) + " atteint(s), " +
           std::to_string(sum.done) + " fait(s), " + std::to_string(sum.differing) + " différent(s), " +
           std::to_string(sum.failed) + " en échec, " + std::to_string(sum.notRun) + " non fait(s)";
}

} // namespace quelm
