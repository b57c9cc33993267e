#include "site/site_texts.h"

#include "form/parameter_table.h"
#include "site/detector_list.h"

#include <cstdio>

namespace quelm {

std::string StateText(DetectorState s, int language) { return StateName(s, language); }

namespace {

std::string Trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string FieldCaption(const Form& form, const std::string& field) {
    const int language = form.x.language;
    for (const ParameterRow& f : ParameterTable()) {
        if (field != f.key) continue;
        std::string caption = form.ui.Frame[f.frame]->caption();
        // "Niveau DYN+  (en %)": the unit is the window's, not the field's name.
        if (const std::size_t unit = caption.find('('); unit != std::string::npos && unit > 0) caption.resize(unit);
        caption = Trimmed(caption);
        if (!caption.empty() && caption.back() == ':') caption = Trimmed(caption.substr(0, caption.size() - 1));
        if (!caption.empty()) return caption;
    }
    if (field.starts_with("address")) return InLanguage(language, "Adresse ", "Address ") + field.substr(7);
    if (field == "number") return InLanguage(language, "Numéro", "Number");
    return ColumnHeader(field, language);
}

std::string ResultText(const Form& form, const DetectorReport& r, SiteMode mode) {
    const int language = form.x.language;
    const auto said = [language](const char* french, const char* english) {
        return std::string(InLanguage(language, french, english));
    };
    if (r.uncertain) {
        std::string text = r.failure;
        text += said(" ; valeurs incertaines, relire le détecteur ; écrit : ",
                     "; values uncertain, read the detector again; written: ");
        text += DescribeCutWrites(r.cutWrites);
        return text;
    }
    if (!r.failure.empty()) return r.failure;
    if (!r.written.empty()) {
        std::string fields;
        for (const std::string& w : r.written) fields += (fields.empty() ? "" : ", ") + FieldCaption(form, w);
        return said("écrit et confirmé : ", "written and confirmed: ") + fields;
    }
    if (!r.reached) return {};
    if (mode == SiteMode::audit) return said("lu, comparé à ", "read, compared with ") + r.projectFile;
    if (mode == SiteMode::survey && !r.projectFile.empty())
        return said("lu, enregistré ", "read, saved ") + r.projectFile;
    if (mode == SiteMode::applyDryRun && r.differences.empty())
        return said("lu, rien à écrire", "read, nothing to write");
    return said("lu", "read");
}

std::string DifferencesText(const Form& form, const DetectorReport& r, SiteMode mode) {
    const int language = form.x.language;
    const std::string other = mode == SiteMode::audit ? InLanguage(language, "fichier", "file") : "plan";
    std::string items;
    for (const FieldDifference& d : r.differences) {
        if (!items.empty()) items += InLanguage(language, " ; ", "; ");
        items.append(FieldCaption(form, d.field)).append(InLanguage(language, " : détecteur ", ": detector "));
        items.append(d.detector.empty() ? std::string("-") : DecimalText(d.detector, language));
        items.append(", ").append(other).append(" ").append(DecimalText(d.wanted, language));
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
    return SummaryLine(Summarize(rows), language);
}

} // namespace quelm
