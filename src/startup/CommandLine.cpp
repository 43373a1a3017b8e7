#include "startup/CommandLine.h"

#include "config/Settings.h"

#include <cstdio>

namespace startup {

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    result.text = arguments.join(u' ');
    if (result.text.isEmpty())
        return result;
    const QString& first = arguments.first();
    const bool alone = arguments.size() == 1;
    if (first == u"--help" || first == u"-h")
        result.kind = alone ? LaunchKind::Help : LaunchKind::BadOption;
    else if (first == u"--version")
        result.kind = alone ? LaunchKind::Version : LaunchKind::BadOption;
    else if (first.startsWith(u"--"))
        result.kind = LaunchKind::BadOption;
    else
        result.kind = LaunchKind::Download;
    return result;
}

QStringList ArgumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString UsageText()
{
    return QStringLiteral(
        "使い方: pelimond [フォルダ]\n"
        "        pelimond --help | --version\n"
        "\n"
        "フォルダを指定しないで起動すると、メインウィンドウを開きます。\n"
        "フォルダを指定すると、そのフォルダのライブラリ情報ファイル (LIBINFO.TXT) に従って\n"
        "ライブラリをダウンロードし、終了します。\n"
        "\n"
        "オプション:\n"
        "  -h, --help    この説明を表示して終了します。\n"
        "  --version     バージョンを表示して終了します。\n");
}

bool AnswerOption(const CommandLine& commandLine, int* exitCode)
{
    switch (commandLine.kind) {
    case LaunchKind::Help:
        print(stdout, UsageText());
        *exitCode = 0;
        return true;
    case LaunchKind::Version:
        print(stdout, config::ProgramVersionText() + u'\n');
        *exitCode = 0;
        return true;
    case LaunchKind::BadOption:
        print(stderr, QStringLiteral("pelimond: 不明なオプションです: ") + commandLine.text +
                          QStringLiteral("\n\n") + UsageText());
        *exitCode = 2;
        return true;
    case LaunchKind::Interactive:
    case LaunchKind::Download:
        break;
    }
    return false;
}

} // namespace startup
