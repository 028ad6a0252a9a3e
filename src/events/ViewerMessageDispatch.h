#pragma once

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessageTable.h"
#include "events/structMapPoint.h"
#include "evidence/VideoFile.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <tuple>
#include <type_traits>
#include <unordered_map>

class QObject;
class Video;
class BookmarkRecord;
struct NavigatorItem;
struct structTileInfo;

// Writing and reading message parameters by the kinds of the message table. Both sides are
// checked against the table when they compile: a coordinator that sends, or a handler that
// takes, other parameters than the message's row says does not build.
namespace ViewerMessageParams {

template <typename T>
using Plain = std::remove_cvref_t<T>;

// Whether a handler may take a parameter of kind K as a T.
template <ParamKind K, typename T>
constexpr bool Readable()
{
    using P = Plain<T>;
    switch (K) {
    case ParamKind::None: return false;
    case ParamKind::Flag: return std::is_same_v<P, bool>;
    case ParamKind::Number: return std::is_same_v<P, int>;
    case ParamKind::Text:
    case ParamKind::OwnedText: return std::is_same_v<P, QString>;
    case ParamKind::Time: return std::is_same_v<P, std::optional<qint64>>;
    case ParamKind::Point: return std::is_same_v<P, QPoint>;
    case ParamKind::Rect: return std::is_same_v<P, QRect>;
    case ParamKind::MapPoint: return std::is_same_v<P, structMapPoint>;
    case ParamKind::Window: return std::is_same_v<P, QObject*>;
    case ParamKind::Video: return std::is_same_v<P, Video*>;
    case ParamKind::Bookmark: return std::is_same_v<P, BookmarkRecord*>;
    case ParamKind::BookmarkList: return std::is_same_v<P, BookmarkList*>;
    case ParamKind::NavigatorItem: return std::is_same_v<P, NavigatorItem*>;
    case ParamKind::Cell: return std::is_same_v<P, structTileInfo*>;
    case ParamKind::Object: return std::is_pointer_v<P>;
    }
    return false;
}

// Whether a sender may pass a T for a parameter of kind K.
template <ParamKind K, typename T>
constexpr bool Writable()
{
    using P = Plain<T>;
    if constexpr (K == ParamKind::Time)
        return std::is_same_v<P, qint64> || std::is_same_v<P, std::optional<qint64>>;
    else if constexpr (K == ParamKind::Number)
        return std::is_integral_v<P> && !std::is_same_v<P, bool>;
    else if constexpr (K == ParamKind::OwnedText)
        return false;  // posted with PostViewerTexts, never sent
    else if constexpr (K == ParamKind::Object || K == ParamKind::Video || K == ParamKind::Bookmark
                       || K == ParamKind::BookmarkList || K == ParamKind::NavigatorItem || K == ParamKind::Cell)
        return std::is_same_v<P, std::nullptr_t> || Readable<K, P>()
               || (std::is_pointer_v<P> && Readable<K, std::remove_const_t<std::remove_pointer_t<P>>*>());
    else
        return Readable<K, P>();
}

template <ParamKind K, typename T>
T Read(quintptr param)
{
    using P = Plain<T>;
    if constexpr (K == ParamKind::Flag) {
        return (param & 0xFF) != 0;
    } else if constexpr (K == ParamKind::Number) {
        return static_cast<int>(param);
    } else if constexpr (K == ParamKind::Time) {
        const auto* time = reinterpret_cast<const qint64*>(param);
        return time ? std::optional<qint64>(*time) : std::nullopt;
    } else if constexpr (K == ParamKind::Window) {
        const auto* window = reinterpret_cast<QObject* const*>(param);
        return window ? *window : nullptr;
    } else if constexpr (std::is_pointer_v<P>) {
        return reinterpret_cast<P>(param);
    } else {
        // A value the sender holds: a copy, or the empty value when it passed none.
        const auto* value = reinterpret_cast<const P*>(param);
        return value ? *value : P();
    }
}

// The parameter for value; what it points at must live until the send returns.
template <ParamKind K, typename T>
quintptr Write(const T& value)
{
    using P = Plain<T>;
    if constexpr (K == ParamKind::Flag) {
        return value ? 1u : 0u;
    } else if constexpr (K == ParamKind::Number) {
        return static_cast<quintptr>(value);
    } else if constexpr (std::is_same_v<P, std::optional<qint64>>) {
        return value ? reinterpret_cast<quintptr>(&*value) : 0u;
    } else if constexpr (std::is_same_v<P, std::nullptr_t>) {
        return 0u;
    } else if constexpr (std::is_pointer_v<P> && K != ParamKind::Window) {
        return reinterpret_cast<quintptr>(value);
    } else {
        return reinterpret_cast<quintptr>(&value);
    }
}

template <int Number>
constexpr const ViewerMessageSpec& SpecOf()
{
    // By index, not by comparing a row's address: with the undefined-behaviour sanitizer GCC
    // does not take an address comparison as a constant expression.
    constexpr int index = ViewerMessages::IndexOf(Number);
    static_assert(index >= 0, "the message has no row in ViewerMessages::kTable");
    return ViewerMessages::kTable[static_cast<size_t>(index)];
}

template <int Number>
constexpr int Arity()
{
    return (SpecOf<Number>().w != ParamKind::None ? 1 : 0) + (SpecOf<Number>().l != ParamKind::None ? 1 : 0);
}

template <int Number, typename... Args>
constexpr bool HandlerFits()
{
    if constexpr (sizeof...(Args) != Arity<Number>()) {
        return false;
    } else if constexpr (sizeof...(Args) == 0) {
        return true;
    } else if constexpr (sizeof...(Args) == 1) {
        return Readable<SpecOf<Number>().w, Args...>();
    } else {
        using Tuple = std::tuple<Args...>;
        return Readable<SpecOf<Number>().w, std::tuple_element_t<0, Tuple>>()
               && Readable<SpecOf<Number>().l, std::tuple_element_t<1, Tuple>>();
    }
}

}  // namespace ViewerMessageParams

// Sends message Number synchronously to target with its parameters written by its row: a flag,
// a number, or the address of the value passed (a text, time, point ...), which the caller holds
// until this returns. Without a target nothing is sent. Returns whether the target accepted it.
template <int Number, typename... Args>
bool SendViewerMessage(QObject* target, const Args&... args)
{
    using namespace ViewerMessageParams;
    constexpr ParamKind kW = SpecOf<Number>().w;
    constexpr ParamKind kL = SpecOf<Number>().l;
    static_assert(sizeof...(Args) == Arity<Number>(), "wrong number of parameters for this message");
    quintptr params[2] = {0, 0};
    if constexpr (sizeof...(Args) >= 1) {
        const auto& first = std::get<0>(std::tie(args...));
        static_assert(Writable<kW, decltype(first)>(), "first parameter does not fit the message's row");
        params[0] = Write<kW>(first);
    }
    if constexpr (sizeof...(Args) == 2) {
        const auto& second = std::get<1>(std::tie(args...));
        static_assert(Writable<kL, decltype(second)>(), "second parameter does not fit the message's row");
        params[1] = Write<kL>(second);
    }
    return ViewerMessageEvent::Send(target, Number, params[0], params[1]);
}

// Posts message Number, whose two parameters are texts the receiver owns (OwnedText): the copies
// made here are freed by the receiver's Dispatch. Without a target nothing is allocated.
template <int Number>
bool PostViewerTexts(QObject* target, const QString& w, const QString& l)
{
    static_assert(ViewerMessageParams::SpecOf<Number>().w == ParamKind::OwnedText
                      && ViewerMessageParams::SpecOf<Number>().l == ParamKind::OwnedText,
                  "the message does not carry owned texts");
    if (!target)
        return false;
    return ViewerMessageEvent::Post(target, Number, reinterpret_cast<quintptr>(new QString(w)),
                                    reinterpret_cast<quintptr>(new QString(l)));
}

// A receiver's handlers, one per message number, each a member function whose parameters are the
// message's row (checked when it compiles). Adding a message is its row in the table, one On<>
// line and the handler.
template <typename Receiver>
class ViewerMessageHandlers {
public:
    template <int Number, typename... Args>
    ViewerMessageHandlers& On(void (Receiver::*handler)(Args...))
    {
        using namespace ViewerMessageParams;
        static_assert(HandlerFits<Number, Args...>(), "the handler's parameters are not the message's row");
        m_handlers[Number] = [handler](Receiver& receiver, quintptr w, quintptr l) {
            constexpr ParamKind kW = SpecOf<Number>().w;
            constexpr ParamKind kL = SpecOf<Number>().l;
            if constexpr (sizeof...(Args) == 0) {
                (void)w;
                (void)l;
                (receiver.*handler)();
            } else if constexpr (sizeof...(Args) == 1) {
                (void)l;
                (receiver.*handler)(Read<kW, Plain<Args>...>(w));
            } else {
                using Tuple = std::tuple<Plain<Args>...>;
                (receiver.*handler)(Read<kW, std::tuple_element_t<0, Tuple>>(w),
                                    Read<kL, std::tuple_element_t<1, Tuple>>(l));
            }
        };
        return *this;
    }

    // Runs the message's handler inside HandlerGuard with the row's failure text: an exception
    // is logged and the message still counts as handled. Texts posted to the receiver are freed
    // whether or not it has a handler. Returns false for a message without a handler here.
    bool Dispatch(Receiver& receiver, const ViewerMessageEvent& message) const
    {
        const ViewerMessageSpec* spec = ViewerMessages::Find(message.Message());
        const auto found = m_handlers.find(message.Message());
        bool handled = false;
        if (spec && found != m_handlers.end()) {
            HandlerGuard::Run(spec->failure, [&] { found->second(receiver, message.WParam(), message.LParam()); });
            handled = true;
        }
        if (spec && spec->w == ParamKind::OwnedText)
            delete reinterpret_cast<QString*>(message.WParam());
        if (spec && spec->l == ParamKind::OwnedText)
            delete reinterpret_cast<QString*>(message.LParam());
        return handled;
    }

private:
    std::unordered_map<int, std::function<void(Receiver&, quintptr, quintptr)>> m_handlers;
};
