#include "qt_window/reading_list_view.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <optional>
#include <utility>

#include "history/log_format.h"
#include "history/tag_edit.h"
#include "history/windows1252.h"
#include "qt/raster_strips.h"
#include "qt_window/steady_scroll_bar.h"
#include "qt_window/tag_validator.h"
#include "window_layout/window_layout.h"

namespace {

constexpr int kTextPadding = 2;

QFont listFont() {
    QFont font(QStringLiteral("Lucida Console"));
    font.setPixelSize(10);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(10);
    }
    return font;
}

QString fromWindows1252(const std::string& text) {
    const std::u16string wide = windows1252ToUtf16(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

}  // namespace

// The text cut with "…" to the width.
const QStaticText& ReadingListView::FittedTexts::fitted(const QFont& font, const std::string& text,
                                                        int width) {
    if (width != width_ || texts_.size() >= kMaxTexts) {
        texts_.clear();
        width_ = width;
    }
    auto [at, added] = texts_.try_emplace(text);
    if (added) {
        QStaticText& laidOut = at->second;
        laidOut.setTextFormat(Qt::PlainText);
        const QString whole = fromWindows1252(text);
        laidOut.setText(whole);
        laidOut.prepare(QTransform(), font);
        // Most texts fit: laid out once, their width says so, and only a
        // text that is too wide is measured again to be cut. The laid-out
        // width may leave out trailing spaces, which the cut counts.
        if (laidOut.size().width() > width || whole.endsWith(QLatin1Char(' '))) {
            laidOut.setText(QFontMetrics(font).elidedText(whole, Qt::ElideRight, width));
            laidOut.prepare(QTransform(), font);
        }
    }
    return at->second;
}

ReadingListView::ReadingListView(const ReadingList& rows, QWidget* parent)
    : QAbstractScrollArea(parent), rows_(rows), font_(listFont()) {
    rowHeight_ = QFontMetrics(font_).height() + 3;
    // Where QPainter::drawText puts a line with AlignLeft | AlignVCenter: its
    // height (ascent and descent) centred in the row's.
    textTop_ = (rowHeight_ - QFontMetricsF(font_).height()) / 2;
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    verticalScrollBar()->setSingleStep(1);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The selection stays visible while another control has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    shown_ = static_cast<int>(rows_.rowCount());
    updateScrollBars();
}

void ReadingListView::rowsAppended() {
    const int before = shown_;
    shown_ = static_cast<int>(rows_.rowCount());
    if (shown_ < before) {
        reload();
        return;
    }
    updateScrollBars();
    for (int row = before; row < shown_ && row < firstRow() + visibleRows() + 1; ++row)
        updateRow(row);
}

void ReadingListView::reload() {
    finishEdit(false);
    shown_ = static_cast<int>(rows_.rowCount());
    current_ = -1;
    updateScrollBars();
    viewport()->update();
}

void ReadingListView::setTagColumnWidth(int width) {
    tagWidth_ = width;
    viewport()->update();
}

int ReadingListView::tagColumnWidth() const {
    return shownTagColumnWidth(tagWidth_, viewport()->width(), kReadingColumnWidth);
}

void ReadingListView::scrollToRow(int row) {
    if (row < 0 || row >= shown_) return;
    const int first = firstRow();
    const int full = std::max(1, viewport()->height() / rowHeight_);
    if (row < first) {
        verticalScrollBar()->setValue(row);
    } else if (row >= first + full) {
        verticalScrollBar()->setValue(row - full + 1);
    }
}

void ReadingListView::selectRow(int row) {
    if (row < 0 || row >= shown_) return;
    scrollToRow(row);
    setCurrent(row);
}

QRect ReadingListView::rowRect(int row) const {
    const int width = std::max(viewport()->width(), kReadingColumnWidth + tagColumnWidth());
    return {-horizontalScrollBar()->value(), (row - firstRow()) * rowHeight_, width, rowHeight_};
}

QString ReadingListView::logLine(int row) const {
    if (row < 0 || row >= shown_) return {};
    return fromWindows1252(formatLogLine(rows_.row(static_cast<std::size_t>(row))));
}

int ReadingListView::firstRow() const {
    return verticalScrollBar()->value();
}

int ReadingListView::visibleRows() const {
    return (viewport()->height() + rowHeight_ - 1) / rowHeight_;
}

int ReadingListView::rowAt(int y) const {
    if (y < 0) return -1;
    const int row = firstRow() + y / rowHeight_;
    return row < shown_ ? row : -1;
}

void ReadingListView::setCurrent(int row) {
    if (row == current_) return;
    const int before = current_;
    current_ = row;
    updateRow(before);
    updateRow(row);
    Q_EMIT currentRowChanged(row);
}

void ReadingListView::updateRow(int row) {
    if (row < 0 || row >= shown_) return;
    const QRect rect = rowRect(row);
    if (rect.intersects(viewport()->rect())) viewport()->update(rect);
}

void ReadingListView::updateScrollBars() {
    const int full = std::max(1, viewport()->height() / rowHeight_);
    verticalScrollBar()->setPageStep(full);
    verticalScrollBar()->setRange(0, std::max(0, shown_ - full));
    // Only a list narrower than the reading text scrolls sideways.
    horizontalScrollBar()->setPageStep(std::max(1, viewport()->width()));
    horizontalScrollBar()->setRange(0, std::max(0, kReadingColumnWidth - viewport()->width()));
}

void ReadingListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font_);
    const QRect dirty = event->rect();
    // Under a rectangle clip (the dirty rows mostly are one) Qt draws each
    // text without clipping it span by span.
    painter.setClipRect(dirty);
    const QColor base = palette().color(QPalette::Base);
    forEachRasterStrip(dirty, [&](const QRect& strip) { painter.fillRect(strip, base); });
    const int tagWidth = tagColumnWidth();
    const int first = std::max(0, firstRow() + dirty.top() / rowHeight_);
    const int last = std::min(shown_ - 1, firstRow() + dirty.bottom() / rowHeight_);
    for (int row = first; row <= last; ++row) {
        const QRect rect = rowRect(row);
        const bool selected = row == current_;
        if (selected) painter.fillRect(rect, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        const ReadingRow& shown = rows_.row(static_cast<std::size_t>(row));
        const QRect text(rect.x() + kTextPadding, rect.y(), kReadingColumnWidth - 2 * kTextPadding,
                         rect.height());
        painter.drawStaticText(QPointF(text.x(), text.y() + textTop_),
                               readingTexts_.fitted(font_, shown.text, text.width()));
        if (tagWidth > 2 * kTextPadding && !shown.tag.empty()) {
            const QRect tag(rect.x() + kReadingColumnWidth + kTextPadding, rect.y(),
                            tagWidth - 2 * kTextPadding, rect.height());
            painter.drawStaticText(QPointF(tag.x(), tag.y() + textTop_),
                                   tagTexts_.fitted(font_, shown.tag, tag.width()));
        }
    }
}

void ReadingListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    placeEditor();
}

void ReadingListView::scrollContentsBy(int dx, int dy) {
    // The pixels already shown move; only the rows that come into view are painted.
    viewport()->scroll(dx, dy * rowHeight_);
    placeEditor();
}

void ReadingListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int row = rowAt(event->position().toPoint().y());
    if (row >= 0) setCurrent(row);
}

void ReadingListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int row = rowAt(event->position().toPoint().y());
    if (row < 0) return;
    setCurrent(row);
    editTag();
}

void ReadingListView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (current_ >= 0) QGuiApplication::clipboard()->setText(logLine(current_));
        return;
    }
    const int page = std::max(1, viewport()->height() / rowHeight_);
    std::optional<int> target;
    switch (event->key()) {
        case Qt::Key_Escape:
            if (!editing()) break;
            finishEdit(false);
            return;
        case Qt::Key_F2:
            editTag();
            return;
        case Qt::Key_Up:
            target = current_ - 1;
            break;
        case Qt::Key_Down:
            target = current_ + 1;
            break;
        case Qt::Key_PageUp:
            target = current_ - page;
            break;
        case Qt::Key_PageDown:
            target = current_ + page;
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = shown_ - 1;
            break;
        default:
            break;
    }
    if (!target) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (shown_ > 0) selectRow(std::clamp(*target, 0, shown_ - 1));
}

bool ReadingListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QAbstractScrollArea::viewportEvent(event);
    // The tag column is narrow: a tagged row shows its whole tag on hovering.
    const auto* help = static_cast<QHelpEvent*>(event);
    const int row = rowAt(help->pos().y());
    if (row >= 0 && !rows_.row(static_cast<std::size_t>(row)).tag.empty()) {
        QToolTip::showText(help->globalPos(),
                           fromWindows1252(rows_.row(static_cast<std::size_t>(row)).tag),
                           viewport(), rowRect(row));
    } else {
        QToolTip::hideText();
    }
    return true;
}

void ReadingListView::editTag() {
    if (current_ < 0 || editing()) return;
    editedRow_ = current_;
    editor_ = new QLineEdit(viewport());
    editor_->setFont(font_);
    editor_->setMaxLength(static_cast<int>(kTagEditLimit));
    editor_->setValidator(new TagValidator(editor_));
    editor_->setText(fromWindows1252(rows_.row(static_cast<std::size_t>(editedRow_)).tag));
    connect(editor_, &QLineEdit::editingFinished, this, [this] { finishEdit(true); });
    placeEditor();
    editor_->show();
    editor_->setFocus();
    editor_->selectAll();
    Q_EMIT tagEditOpened();
}

void ReadingListView::placeEditor() {
    if (!editor_) return;
    // Over the row's free width, whatever the tag column's own width.
    const EditorSpan span = tagEditorSpan(kReadingColumnWidth - horizontalScrollBar()->value(),
                                          viewport()->width(), kTagEditorMinWidth);
    editor_->setGeometry(span.left, rowRect(editedRow_).y(), span.width, rowHeight_);
}

void ReadingListView::finishEdit(bool keep) {
    if (!editor_) return;
    QLineEdit* editor = std::exchange(editor_, nullptr);
    const int row = std::exchange(editedRow_, -1);
    editor->disconnect(this);
    const QString text = editor->text();
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus) setFocus();
    if (keep) Q_EMIT tagEdited(row, text);
    Q_EMIT tagEditClosed();
    updateRow(row);
}
