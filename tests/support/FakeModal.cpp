#include "support/FakeModal.h"

namespace {
template <typename T> std::optional<T> next(QList<std::optional<T>> &answers)
{
    return answers.isEmpty() ? std::nullopt : answers.takeFirst();
}
} // namespace

FakeModal::FakeModal()
{
    Modal::install(this);
}

FakeModal::~FakeModal()
{
    Modal::install(nullptr);
}

void FakeModal::messageBox(const QString &text, int style, const QString &title)
{
    messages.append({text, style, title});
}

std::optional<QString> FakeModal::fileName(const FileRequest &request)
{
    fileRequests.append(request);
    return next(fileAnswers);
}

std::optional<QColor> FakeModal::chooseColor(const QColor &initial)
{
    colorPresets.append(initial);
    return next(colorAnswers);
}

std::optional<QFont> FakeModal::chooseFont(const QFont &initial)
{
    fontPresets.append(initial);
    return next(fontAnswers);
}

void FakeModal::endProcess(int exitCode)
{
    exitCodes.append(exitCode);
}

QStringList FakeModal::reports() const
{
    QStringList out;
    for (const Message &m : messages)
        if (m.title == QLatin1String("Application Error"))
            out.append(m.text);
    return out;
}
