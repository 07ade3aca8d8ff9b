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

void LoadFoundList(const std::string& file, const AddFoundFileCallback& add)
{
    constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    platform::TFileReader reader(file);
    const auto addExisting = [&](std::string_view line) {
        if (line.empty())
            return;
        const std::string path(line);
        if (const std::optional<FileEntry> entry = platform::LookupEntry(path))
            add(*entry, path);
    };
    TFoundListLineSplitter splitter;
    std::string piece;
    do {
        piece.clear();
    } while (reader.ReadSome(piece, kPieceBytes) > 0 && splitter.Feed(piece, addExisting));
    splitter.Finish(addExisting);
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

void LoadFoundListFrom(const FileChooser& chooseFile, const std::function<void()>& clearFoundList,
                       const AddFoundFileCallback& add)
{
    const platform::TWorkingDirectoryGuard keepWorkingDirectory;
    const std::optional<std::string> file = chooseFile();
    if (!file)
        return;
    clearFoundList();
    LoadFoundList(*file, add);
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

std::optional<std::string> AskFoundListSaveFile(QWidget* parent, const std::string& folder)
{
    // Opened in the folder given: left to itself the dialog would open where any dialog of the
    // process was last made, such as a plug-in's, made in the plug-in's folder.
    QFileDialog dialog(parent, QString(), DialogFolder(folder));
    dialog.setObjectName("SaveDialog_found");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(FoundListSaveFilter)));
    dialog.setDefaultSuffix(FoundListDefaultExtension);
    return ChosenFile(dialog);
}

std::optional<std::string> AskFoundListLoadFile(QWidget* parent, const std::string& folder)
{
    QFileDialog dialog(parent, QString(), DialogFolder(folder));
    dialog.setObjectName("OpenDialog_found");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(FoundListLoadFilter)));
    return ChosenFile(dialog);
}
