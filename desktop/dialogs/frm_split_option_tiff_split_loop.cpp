// The split run of frmSplitOption_Tiff: what "&Split" does once the choices
// are valid. Each record's pages are written by the page engine into a
// private folder inside the output folder and then moved to their final
// names, so the engine's own "page<k>.tif" names never meet a user's files.

#include "desktop/core/modal_runner.h"
#include "desktop/core/program_objects.h"
#include "desktop/core/shell_open.h"
#include "desktop/dialogs/frm_error_report_dialog.h"
#include "desktop/dialogs/frm_split_option_tiff.h"
#include "desktop/dialogs/page_dialog.h"
#include "desktop/dialogs/run_guard.h"
#include "desktop/dialogs/split_naming.h"
#include "desktop/dialogs/split_page_files.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/system_error.h"
#include "operations/typed_number.h"
#include "platform/com/com.h"
#include "platform/message_box/message_box.h"
#include "platform/safe_file/run_mark.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const QString kFormName = QStringLiteral("frmSplitOption_Tiff");
const ProcedureTraps Trap(ObjectKind::Form, kFormName);

// The first part of the range text as the first page (a page number below
// 1 means the first page) and the second part as the last.
void RangePages(const QString& rangeText, std::int16_t& first, std::int16_t& last)
{
    const QStringList parts = rangeText.split(QLatin1Char('-'));
    if (parts.size() != 2)
        throw RunTimeError(rterr::TypeMismatch);
    first = ToIntegerWholeOnly(parts.at(0));
    last = ToIntegerWholeOnly(parts.at(1));
    if (first < 1)
        first = 1;
}

// The folder as the report names it: without the trailing "/".
QString FolderName(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// Names for one line of the report: the first few, then how many more.
QString ShortList(const QStringList& names)
{
    constexpr int kShown = 5;
    if (names.size() <= kShown)
        return names.join(QStringLiteral(", "));
    return names.mid(0, kShown).join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(names.size() - kShown);
}

} // namespace

void frmSplitOption_Tiff::cmdOk_Click()
{
    if (running_)
        return;
    ErrorTrap trap = Trap("cmdOk_Click");
    try {
        trap.Line(10);
        if (!ValidateInput())
            return;
        trap.Line(20);
        RunGuard guard(*this, {cmdOk, cmdCancel, FraRange, Frame2, FraFileopen}, running_);
        trap.Line(30);
        QString failedList;
        const bool ok = SplitTiffFiles(failedList);
        trap.Line(40);
        if (ok) {
            MsgBox(QStringLiteral("Split completed"), MsgBoxIcon::Information);
        } else {
            trap.Line(50);
            frmErrorReportDialog report(this);
            report.AddError(QStringLiteral("Velmora error"),
                            QStringLiteral("Following files could not be Splited failed "), failedList);
            RunModal(report);
        }
        trap.Line(60);
        ProgressBar1->setValue(0);
        trap.Line(70);
        StoreOutputSettings(true);
        trap.Line(80);
        if (ChkOpenFolderSplitTIFF->isChecked() && !chkSaveatCurrLoc->isChecked()) {
            QString verb = QStringLiteral("explore");
            std::int32_t show = 1;
            ShellOpen(verb, QVariant(txtOutputFolder->text()), QVariant(QString()), QVariant(QString()), show);
        }
        trap.Line(90);
    } catch (...) {
        trap.Log();
    }
}

QString frmSplitOption_Tiff::NamePrefix(const QString& fileName) const
{
    if (optmanual->isChecked())
        return txtmanualfilename->text() + txtseparator[1]->text();
    return BaseNamePrefix(fileName, txtseparator[0]->text());
}

QString frmSplitOption_Tiff::ReturnFilename(const QString& fileName, const QString& total, const QString& page) const
{
    QString name = NamePrefix(fileName);
    if (!chkApplyNoPadding->isChecked())
        name += CounterPadding(total, page);
    return name;
}

bool frmSplitOption_Tiff::SplitTiffFiles(QString& failedList)
{
    ErrorTrap trap = Trap("SplitTiffFiles");
    try {
        trap.Line(10);
        // Held for the whole run; a page engine that cannot be created ends
        // the run before the first file.
        com::Ptr<com::Object> control = com::CreateObject(QString::fromUtf16(kPageEngineProgId));
        trap.Line(20);
        if (!objTiffPdfCommands_)
            objTiffPdfCommands_ = std::make_unique<TiffPdfCommands>();
        TiffPdfCommands& commands = *objTiffPdfCommands_;
        trap.Line(30);
        const RecordCollection records = objColdata;
        // At least 1 as the maximum: a bar from 0 to 0 would show "busy".
        ProgressBar1->setRange(0, qMax(1, static_cast<int>(records.size())));
        ProgressBar1->setValue(0);

        // The files being split: no page is ever put in their place.
        QStringList sourcePaths;
        for (const clsColSetOrderGrid& record : records)
            sourcePaths << ValidateDir(record.FileLocation()) + record.filename();
        const ProtectedFiles sources = IdentitiesOf(sourcePaths);

        const SplitMethod method = SelectedMethod();
        // Decided once for the run: the box shows each file's folder as the
        // run goes on, and that must not send the next file's pages into
        // the previous file's folder.
        const bool besideEachFile = chkSaveatCurrLoc->isChecked() || txtOutputFolder->text().trimmed().isEmpty();
        // One private folder per output folder serves the run's files one
        // after another, each finding it empty; a file that leaves pages in
        // it has it kept, and the next file gets a new one.
        std::map<QString, std::unique_ptr<SplitExtractionFolder>> emptyScratch;
        auto scratchFor = [&emptyScratch](const QString& folder) {
            const auto found = emptyScratch.find(folder);
            if (found == emptyScratch.end())
                return std::make_unique<SplitExtractionFolder>(folder);
            std::unique_ptr<SplitExtractionFolder> scratch = std::move(found->second);
            emptyScratch.erase(found);
            return scratch;
        };
        for (const clsColSetOrderGrid& record : records) {
            trap.Line(40);
            QString folder;
            if (besideEachFile) {
                folder = record.FileLocation();
                txtOutputFolder->setText(folder);
            } else {
                folder = txtOutputFolder->text();
            }
            trap.Line(50);
            const QString prefix = NamePrefix(record.filename());
            trap.Line(60);
            const QString source = ValidateDir(record.FileLocation()) + record.filename();
            // The pages the engine is to write: the file as it is now, by
            // the engine's own walk of its chain (-1 when it cannot be
            // counted). A page command earlier in the session may have
            // changed its pages since the grid counted them.
            std::int32_t engineCount = -1;
            if (method != SplitMethod::InTwo && TiffPageCounter.IsCreated()
                && TiffPageCounter.CountPages(source, engineCount) < 0)
                engineCount = -1;
            std::unique_ptr<SplitExtractionFolder> scratch;
            bool ok = false;
            int partsKeptOut = 0;
            int partsOnSources = 0;
            // What the report says besides the file: why it failed, and
            // where its pages went when they did not all take their names.
            QStringList notes;
            // The engine's reason when it refused the file (or some of its
            // pages, which then need no other word for not being there).
            bool engineSaidWhy = false;
            auto sayWhy = [&commands, &notes, &engineSaidWhy, &scratch](bool done) {
                // The engine writes by path: an output folder moved away
                // fails it for a reason that is not the source's.
                if (!done && scratch && !scratch->AtItsPath()) {
                    notes << QStringLiteral("the output folder was moved or removed while pages were written");
                    engineSaidWhy = true;
                } else if (!done && !commands.LastFailureReason().isEmpty()) {
                    notes << commands.LastFailureReason();
                    engineSaidWhy = true;
                }
                return done;
            };
            trap.Line(70);
            if (method == SplitMethod::AllPages) {
                scratch = scratchFor(folder);
                if (scratch->IsValid())
                    ok = sayWhy(commands.ExtractAllTIFFpages(source, scratch->Path()));
            } else if (method == SplitMethod::InTwo) {
                trap.Line(80);
                bool isNumber = false;
                std::int32_t n = txtSplitByEveryPage->text().trimmed().toInt(&isNumber);
                if (!isNumber)
                    n = 0; // no page count to cut after: the engine refuses it
                const std::int16_t pageNo = ToIntegerWholeOnly(QString::number(static_cast<long long>(n) + 1));
                const QString dir = ValidateDir(folder);
                // The two parts are written under the typed name; a name
                // that leads out of the folder or onto a file being split
                // is not written. They are made in the private folder and
                // then take their names by the replace rule, like pages.
                if (!IsPlainNamePart(prefix)) {
                    notes << QStringLiteral("the parts' name is no file name");
                } else if (IsOneOf(dir + prefix + QStringLiteral("1.tif"), sources)
                           || IsOneOf(dir + prefix + QStringLiteral("2.tif"), sources)) {
                    notes << QStringLiteral("its parts would replace a file being split");
                } else {
                    // In the private folder the parts have names of the
                    // run's own, which a later run knows for its debris.
                    const QString made = QString::fromLatin1(safe_file::kSplitPartPrefix);
                    scratch = scratchFor(folder);
                    if (scratch->IsValid())
                        ok = sayWhy(commands.SplitTiffFiles(source, pageNo, scratch->Path(), made));
                    if (ok) {
                        trap.Line(85);
                        // A part that does not end up under its name (an
                        // existing file kept, a file being split) leaves
                        // pages in neither file: the file failed.
                        for (const QString& part : {QStringLiteral("1.tif"), QStringLiteral("2.tif")}) {
                            const PlaceOutcome placed =
                                scratch->Place(made + part, prefix + part, chkReplaceExisting->isChecked(), sources);
                            if (placed != PlaceOutcome::Moved)
                                ok = false;
                            if (placed == PlaceOutcome::KeptExisting)
                                ++partsKeptOut;
                            if (placed == PlaceOutcome::SourceProtected)
                                ++partsOnSources;
                        }
                    }
                }
            } else if (method == SplitMethod::Range) {
                trap.Line(90);
                std::int16_t first = 0;
                std::int16_t last = 0;
                RangePages(txtrange->text(), first, last);
                scratch = scratchFor(folder);
                // A range that selects no page is no success.
                if (scratch->IsValid() && last >= first) {
                    ok = sayWhy(commands.ExtractTIFFpagesbyRange(source, static_cast<std::int16_t>(first - 1),
                                                                 static_cast<std::int16_t>(last - 1), scratch->Path()));
                    if (ok && scratch->FileCount() == 0)
                        ok = false;
                }
            }
            trap.Line(100);
            if (partsKeptOut > 0)
                notes << (partsKeptOut == 1 ? QStringLiteral("1 part kept out: its name is taken")
                                            : QStringLiteral("2 parts kept out: their names are taken"));
            if (scratch) {
                safe_file::PagePlacement placed;
                if (method != SplitMethod::InTwo) {
                    // Every page file the engine wrote is named, whatever a
                    // count says (the grid's, when the engine's failed).
                    std::int32_t pageCount = std::max(engineCount >= 0 ? engineCount : std::max(record.PageCount(), -1),
                                                      static_cast<std::int32_t>(scratch->FileCount()));
                    if (!RenameFileNames(QStringLiteral(".tif"), pageCount, folder, record.filename(), *scratch,
                                         sources, engineCount, placed))
                        ok = false;
                }
                const long long pagesMissing = placed.missing;
                const long long namesTaken = placed.keptOut;
                const long long onSources = placed.sourcesKept + partsOnSources;
                // Fewer pages than the engine reported: some were refused
                // (said above), or taken away before they could be named.
                if (pagesMissing > 0) {
                    ok = false;
                    if (!engineSaidWhy)
                        notes << (pagesMissing == 1 ? QStringLiteral("1 page missing")
                                                    : QStringLiteral("%1 pages missing").arg(pagesMissing));
                }
                // Pages dropped by the replace rule leave pages in no file:
                // the file is listed, and the report says why.
                if (namesTaken > 0) {
                    ok = false;
                    notes << (namesTaken == 1
                                  ? QStringLiteral("1 page kept out: its name is taken")
                                  : QStringLiteral("%1 pages kept out: their names are taken").arg(namesTaken));
                }
                // A page or part is never put in place of a file being split.
                if (onSources > 0) {
                    ok = false;
                    const QString what = method == SplitMethod::InTwo ? QStringLiteral("part") : QStringLiteral("page");
                    notes << (onSources == 1 ? QStringLiteral("1 %1 kept out: its name is a file being split").arg(what)
                                             : QStringLiteral("%1 %2s kept out: their names are files being split")
                                                   .arg(onSources)
                                                   .arg(what));
                }
                // Pages left under the engine's names join the output
                // folder where no file has that name; any other stays put,
                // and the report says where.
                const QStringList released = scratch->ReleaseLeftovers();
                if (!released.isEmpty()) {
                    ok = false;
                    notes << QStringLiteral("pages left under the engine's names in ") + FolderName(folder)
                                 + QStringLiteral(": ") + ShortList(released);
                }
                if (scratch->FileCount() > 0) {
                    ok = false;
                    notes << QStringLiteral("pages set aside in ") + scratch->Finish();
                } else if (scratch->IsValid()) {
                    emptyScratch[folder] = std::move(scratch);
                }
            }
            trap.Line(110);
            if (!ok) {
                failedList += source;
                if (!notes.isEmpty())
                    failedList += QStringLiteral(" (") + notes.join(QStringLiteral("; ")) + QLatin1Char(')');
                failedList += QStringLiteral("\r\n");
            }
            ProgressBar1->setValue(ProgressBar1->value() + 1);
        }
        trap.Line(120);
        return failedList.isEmpty();
    } catch (...) {
        trap.Log();
        return false;
    }
}

bool frmSplitOption_Tiff::RenameFileNames(const QString& extension, std::int32_t& pageCount,
                                          const QString& /*outputFolder*/, const QString& fileName,
                                          SplitExtractionFolder& scratch, const ProtectedFiles& sources,
                                          std::int32_t engineCount, safe_file::PagePlacement& placed)
{
    ErrorTrap trap = Trap("RenameFileNames");
    try {
        trap.Line(10);
        long long firstK = 0;
        long long lastK = -1;
        const SplitMethod method = SelectedMethod();
        if (method == SplitMethod::AllPages) {
            firstK = 0;
            lastK = static_cast<long long>(pageCount) - 1;
        } else if (method == SplitMethod::Range) {
            std::int16_t first = 0;
            std::int16_t last = 0;
            RangePages(txtrange->text(), first, last);
            firstK = first - 1;
            lastK = last - 1;
        } else {
            return true;
        }
        trap.Line(20);
        // The pages move into the output folder the private folder was made
        // in, wherever that is now.
        const QString total = QString::number(pageCount);
        auto nameOf = [&](long long k) {
            trap.Line(30);
            const QString counter = QString::number(k + 1);
            const QString name = ReturnFilename(fileName, total, counter);
            if (!IsPlainNamePart(name))
                throw RunTimeError(rterr::BadFileName);
            trap.Line(40);
            return name + counter + extension;
        };
        const safe_file::PagePlacement now =
            scratch.PlacePages(firstK, lastK, engineCount, nameOf, chkReplaceExisting->isChecked(), sources);
        placed.keptOut += now.keptOut;
        placed.missing += now.missing;
        placed.sourcesKept += now.sourcesKept;
        if (now.failed > 0)
            throw SystemError(now.error);
        trap.Line(50);
        return now.sourcesKept == 0;
    } catch (...) {
        trap.Log();
        return false;
    }
}
