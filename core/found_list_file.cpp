#include "core/found_list_file.h"

#include "platform/Files.h"

#include <QDir>
#include <QFileDialog>
#include <algorithm>

std::string QtFileDialogFilter(std::string_view filter)
{
    std::string result;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const std::size_t nameEnd = filter.find('|', start);
        if (nameEnd == std::string_view::npos)
            break;
        const std::size_t patternEnd = std::min(filter.find('|', nameEnd + 1), filter.size());
        std::string_view pattern = filter.substr(nameEnd + 1, patternEnd - nameEnd - 1);
        if (pattern == "*.*")
            pattern = "*";
        if (!result.empty())
            result += ";;";
        result.append(filter.substr(start, nameEnd - start)).append(" (").append(pattern).append(")");
        start = patternEnd + 1;
    }
    return result;
}

bool FitsOnOneLine(std::string_view path)
{
    return path.find_first_of("\r\n") == std::string_view::npos;
}

std::string FoundListText(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) {
        if (!path.empty() && FitsOnOneLine(path))
            text.append(path).append("\r\n");
    }
    return text;
}

bool TFoundListLineSplitter::Feed(std::string_view bytes, const LineCallback& line)
{
    if (ended_)
        return false;
    if (const std::size_t zero = bytes.find('\0'); zero != std::string_view::npos) {
        bytes = bytes.substr(0, zero);
        ended_ = true;
    }
    while (!bytes.empty()) {
        if (afterCr_ && bytes.front() == '\n')
            bytes.remove_prefix(1);  // the second half of CR LF
        afterCr_ = false;
        const std::size_t end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            partial_.append(bytes);
            break;
        }
        partial_.append(bytes.substr(0, end));
        line(partial_);
        partial_.clear();
        afterCr_ = bytes[end] == '\r';
        bytes.remove_prefix(end + 1);
    }
    return !ended_;
}

void TFoundListLineSplitter::Finish(const LineCallback& line)
{
    if (!partial_.empty())
        line(partial_);
    partial_.clear();
    ended_ = true;
}

std::vector<std::string> FoundListLines(std::string_view text)
{
    std::vector<std::string> lines;
    const auto keep = [&](std::string_view line) { lines.emplace_back(line); };
    TFoundListLineSplitter splitter;
    splitter.Feed(text, keep);
    splitter.Finish(keep);
    return lines;
}

std::size_t SaveFoundList(const std::string& file, const std::vector<std::string>& paths)
{
    platform::WriteFileAtomically(file, FoundListText(paths));
    return static_cast<std::size_t>(
        std::count_if(paths.begin(), paths.end(), [](const std::string& path) { return !FitsOnOneLine(path); }));
}

std::string LeftOutOfListText(std::size_t leftOut)
{
    return std::to_string(leftOut)
           + " found file(s) were left out of the saved list: their names contain a line break, which "
             "a line of the list cannot hold.";
}

TFoundListLoad LoadFoundList(const std::string& file, const AddFoundFileCallback& add)
{
    constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    platform::TFileReader reader(file);
    TFoundListLoad load;
    load.File = file;
    const auto addExisting = [&](std::string_view line) {
        if (line.empty())
            return;
        const std::string path(line);
        if (const std::optional<FileEntry> entry = platform::LookupEntry(path)) {
            add(*entry, path);
            ++load.Loaded;
            return;
        }
        if (load.FirstMissing.size() < TFoundListLoad::MissingKept)
            load.FirstMissing.push_back(path);
        ++load.Missing;
    };
    TFoundListLineSplitter splitter;
    std::string piece;
    do {
        piece.clear();
    } while (reader.ReadSome(piece, kPieceBytes) > 0 && splitter.Feed(piece, addExisting));
    splitter.Finish(addExisting);
    return load;
}

std::string LoadedListText(const TFoundListLoad& load)
{
    std::string text = std::to_string(load.Loaded) + (load.Loaded == 1 ? " file" : " files") + " loaded from " +
                       platform::FileNamePart(load.File);
    if (load.Missing > 0)
        text += "; " + std::to_string(load.Missing) + (load.Missing == 1 ? " of its paths no longer exists"
                                                                          : " of its paths no longer exist");
    return text;
}

std::string MissingPathsText(const TFoundListLoad& load)
{
    if (load.Missing == 0)
        return {};
    std::string text = "No longer there:";
    for (const std::string& path : load.FirstMissing)
        text += "\n" + path;
    const std::int64_t more = load.Missing - static_cast<std::int64_t>(load.FirstMissing.size());
    if (more > 0)
        text += "\nand " + std::to_string(more) + " more";
    return text;
}

std::size_t SaveFoundListAs(const std::vector<std::string>& rowPaths, const FileChooser& chooseFile)
{
    if (rowPaths.empty())
        return 0;
    // File dialogs may change the working directory, and the program's relative paths depend on it.
    const platform::TWorkingDirectoryGuard keepWorkingDirectory;
    const std::optional<std::string> file = chooseFile();
    return file ? SaveFoundList(*file, rowPaths) : 0;
}

std::optional<TFoundListLoad> LoadFoundListFrom(const FileChooser& chooseFile, const std::function<void()>& clearFoundList,
                                                const AddFoundFileCallback& add)
{
    const platform::TWorkingDirectoryGuard keepWorkingDirectory;
    const std::optional<std::string> file = chooseFile();
    if (!file)
        return std::nullopt;
    clearFoundList();
    return LoadFoundList(*file, add);
}

namespace {

// The dialog's choice as the bytes the file system knows the file by; nothing when cancelled.
std::optional<std::string> ChosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A relative name would be resolved against the working directory, the program's folder.
    const QString chosen = dialog.directory().absoluteFilePath(dialog.selectedFiles().constFirst());
    return QFile::encodeName(chosen).toStdString();
}

QString DialogFolder(const std::string& folder)
{
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

} // namespace

std::optional<std::string> AskFileToSave(QWidget* parent, const std::string& folder, const char* objectName,
                                         const char* filter, const char* defaultExtension, std::string* chosenFilter)
{
    // Opened in the folder given: left to itself the dialog would open where any dialog of the
    // process was last made, such as a plug-in's, made in the plug-in's folder.
    QFileDialog dialog(parent, QString(), DialogFolder(folder));
    dialog.setObjectName(objectName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(filter)));
    dialog.setDefaultSuffix(defaultExtension);
    std::optional<std::string> file = ChosenFile(dialog);
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter().toStdString();
    return file;
}

std::optional<std::string> AskFileToOpen(QWidget* parent, const std::string& folder, const char* objectName,
                                         const char* filter)
{
    QFileDialog dialog(parent, QString(), DialogFolder(folder));
    dialog.setObjectName(objectName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(filter)));
    return ChosenFile(dialog);
}

std::optional<std::string> AskFoundListSaveFile(QWidget* parent, const std::string& folder)
{
    return AskFileToSave(parent, folder, "SaveDialog_found", FoundListSaveFilter, FoundListDefaultExtension);
}

std::optional<std::string> AskFoundListLoadFile(QWidget* parent, const std::string& folder)
{
    return AskFileToOpen(parent, folder, "OpenDialog_found", FoundListLoadFilter);
}
