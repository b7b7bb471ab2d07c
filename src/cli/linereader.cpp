#include "cli/linereader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

#include <QSocketNotifier>

namespace {
constexpr qsizetype chunkBytes = 4096;
}

LineReader::LineReader(int fd, QObject *parent)
    : QObject(parent), m_fd(fd), m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this))
{
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &LineReader::onReadable);
}

LineReader::~LineReader() = default;

std::optional<LineReader::Line> LineReader::next()
{
    if (m_skippingRest) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0) {
            m_buffer.clear();
            return {};
        }
        m_buffer.remove(0, end + 1);
        m_skippingRest = false;
    }
    Line line;
    const qsizetype end = m_buffer.indexOf('\n');
    if (end >= 0) {
        line.text = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.text.endsWith('\r'))
            line.text.chop(1);
    } else if (m_buffer.size() > maxLineBytes) {
        // No line end in sight: keep the start, skip the rest when it comes.
        line.text = std::exchange(m_buffer, {});
        m_skippingRest = true;
    } else if (m_ended && !m_buffer.isEmpty()) {
        line.text = std::exchange(m_buffer, {});
    } else {
        return {};
    }
    if (line.text.size() > maxLineBytes) {
        line.text.truncate(maxLineBytes);
        line.cut = true;
    }
    line.cut = line.cut || m_skippingRest;
    line.number = ++m_lineNumber;
    return line;
}

void LineReader::readMore()
{
    if (m_ended) {
        QMetaObject::invokeMethod(this, &LineReader::linesReady, Qt::QueuedConnection);
        return;
    }
    m_notifier->setEnabled(true);
}

void LineReader::stop()
{
    m_ended = true;
    m_buffer.clear();
    m_notifier->setEnabled(false);
}

void LineReader::onReadable()
{
    // One read per request: no more is taken in than the caller is about to use.
    m_notifier->setEnabled(false);
    char chunk[chunkBytes];
    const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        m_notifier->setEnabled(true);
        return;
    }
    if (n < 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        m_ended = true;
        emit failed(error);
        return;
    }
    if (n == 0)
        m_ended = true;
    else
        m_buffer.append(chunk, n);
    emit linesReady();
}
