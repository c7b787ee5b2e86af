#pragma once
#include <QString>
#include <exception>

// An error raised by an inner operation to its caller, who decides whether to
// show it. The numbers follow the classic Basic run-time errors, so a caller
// can tell the kinds apart without string matching.
class RuntimeError : public std::exception
{
public:
    enum Kind {
        InvalidArgument = 5,
        Overflow = 6,
        OutOfMemory = 7,
        OutOfRange = 9,
        TypeMismatch = 13,
    };

    RuntimeError(Kind kind, QString description)
        : m_kind(kind), m_description(std::move(description)) {}

    Kind kind() const noexcept { return m_kind; }
    int number() const noexcept { return int(m_kind); }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return "tolvo runtime error"; }

    static RuntimeError outOfRange() { return {OutOfRange, QStringLiteral(u"インデックスが有効範囲にありません。")}; }
    static RuntimeError typeMismatch() { return {TypeMismatch, QStringLiteral(u"型が一致しません。")}; }
    static RuntimeError overflow() { return {Overflow, QStringLiteral(u"オーバーフローしました。")}; }
    static RuntimeError outOfMemory() { return {OutOfMemory, QStringLiteral(u"メモリが足りません。")}; }
    static RuntimeError invalidArgument() { return {InvalidArgument, QStringLiteral(u"プロシージャの呼び出し、または引数が不正です。")}; }

private:
    Kind m_kind;
    QString m_description;
};
