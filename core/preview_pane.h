#pragma once
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/preview_loader.h"
#include "krellers/context_engine.h"

class QFont;
class QLabel;
class QPlainTextEdit;
class QTextDocument;
class QStackedWidget;
class QToolButton;

// The preview beside the found list: the selected file's text with the Context keywords marked and
// a way from hit to hit, a picture scaled to fit, or a line that says what the file is. Files are
// read and pictures decoded on a worker thread; the newest request wins, so moving through the
// list never waits for a file.
class TO_preview : public QWidget {
    Q_OBJECT
public:
    explicit TO_preview(QWidget* parent = nullptr);
    ~TO_preview() override;

    // Shows the file at path, marking keywords. converted gives a cartridge's text for files a
    // cartridge reads (asked here, on the window's thread, as plug-ins are); none to show files as
    // they are.
    void ShowFile(const std::string& path, const std::vector<std::string>& keywords,
                  const TCartridgeText& converted = {});
    // Shows nothing and abandons the work under way.
    void Clear();

    void NextHit();
    void PreviousHit();
    std::size_t HitCount() const { return shown_.Hits.size(); }
    // From 1; 0 when there are no hits.
    std::size_t CurrentHit() const { return shown_.Hits.empty() ? 0 : currentHit_ + 1; }

    const std::string& ShownPath() const { return shownPath_; }
    const TPreviewContent& Shown() const { return shown_; }
    const QImage& Picture() const { return picture_; }
    // A cartridge is making a text for the preview; events run meanwhile.
    bool Converting() const { return converting_; }
    // Whether a request has not been shown yet.
    bool Loading() const { return shownRequest_ != request_ || !complete_; }
    // Waits until the newest request is shown (or dropped); for tests and the benchmark.
    void WaitShown();

    // At most this many bytes of a file or a text are read.
    std::size_t FirstPartBytes = kPreviewFirstPartBytes;
    // A longer text is shown from this much of its start first, then whole: a screen's worth
    // comes at once, and the rest a moment later.
    std::size_t FirstScreenBytes = std::size_t{32} << 10;

signals:
    // A new file is shown, or another hit is current.
    void HitsChanged();
    // The cartridge asked for a text has answered.
    void ConversionEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TRequest {
        std::string Path;
        std::vector<std::string> Keywords;
        TCartridgeText Converted;
    };

    void Load(const TRequest& request);
    void Submit(std::uint64_t id, const TRequest& request, std::optional<TCartridgeContext> converted);
    // A text's document, made on the worker; deleted with the box unless the pane takes it.
    struct TDocumentBox {
        QTextDocument* Document = nullptr;
        ~TDocumentBox();
    };
    struct TDelivery {
        TPreviewContent Content;
        QImage Picture;
        std::shared_ptr<TDocumentBox> Text;  // none: the pane makes the text's document
        bool Final = true;                   // no better view of the file follows
    };
    std::shared_ptr<TDocumentBox> DocumentOf(const QString& text, const QFont& font) const;
    // Hands a delivery to the window's thread.
    void Post(std::uint64_t id, const std::string& path, TDelivery delivery);
    void Deliver(std::uint64_t id, const std::string& path, TDelivery delivery);
    void ShowText(TDelivery& delivery, bool sameFile, bool hitWasShown);
    // The view shows document, which the pane owns from now on.
    void InstallDocument(QTextDocument* document);
    void ShowHeadline(const std::string& path, const QString& note);
    // Marks the hits; scroll brings the current one into view.
    void ShowCurrentHit(bool scroll);
    void ShowPicture();
    void UpdateHitControls();
    QSize PictureBox() const;

    // Joined first when the pane goes, so no result arrives for a pane being destroyed.
    std::unique_ptr<TPreviewWorker> worker_;
    std::uint64_t request_ = 0;
    std::uint64_t shownRequest_ = 0;
    bool complete_ = true;  // the shown request's last delivery is in
    bool converting_ = false;               // a cartridge is asked; events run meanwhile
    std::optional<TRequest> afterConverting_;  // the newest request made while it was asked
    std::string shownPath_;
    TPreviewContent shown_;
    QImage picture_;
    std::size_t currentHit_ = 0;

    QLabel* Label_preview = nullptr;
    QLabel* Label_hits = nullptr;
    QToolButton* btn_previoushit = nullptr;
    QToolButton* btn_nexthit = nullptr;
    QStackedWidget* Pages_preview = nullptr;
    QPlainTextEdit* Memo_preview = nullptr;
    QLabel* Image_preview = nullptr;
    QLabel* Label_note = nullptr;
};
