#include "core/found_list_file.h"

#include "platform/Files.h"

#include <QFileDialog>

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

std::string FoundListText(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) {
        if (!path.empty())
            text.append(path).append("\r\n");
    }
    return text;
}

std::vector<std::string> FoundListLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
    return lines;
}

void SaveFoundList(const std::string& file, const std::vector<std::string>& paths)
{
    platform::WriteFileAtomically(file, FoundListText(paths));
}

void LoadFoundList(const std::string& file, const AddFoundFileCallback& add)
{
    for (const std::string& line : FoundListLines(platform::ReadWholeFile(file))) {
        if (line.empty())
            continue;
        if (const std::optional<FileEntry> entry = platform::LookupEntry(line))
            add(*entry, line);
    }
}

void SaveFoundListAs(const std::vector<std::string>& rowPaths, const FileChooser& chooseFile)
{
    if (rowPaths.empty())
        return;
    // File dialogs may change the working directory, and the program's relative paths depend on it.
    const platform::TWorkingDirectoryGuard keepWorkingDirectory;
    if (const std::optional<std::string> file = chooseFile())
        SaveFoundList(*file, rowPaths);
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
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

} // namespace

std::optional<std::string> AskFoundListSaveFile(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setObjectName("SaveDialog_found");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(FoundListSaveFilter)));
    dialog.setDefaultSuffix(FoundListDefaultExtension);
    return ChosenFile(dialog);
}

std::optional<std::string> AskFoundListLoadFile(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setObjectName("OpenDialog_found");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromUtf8(QtFileDialogFilter(FoundListLoadFilter)));
    return ChosenFile(dialog);
}
