// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/MessageBox.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <initializer_list>
#include <vector>

// Records every message box shown while it lives and answers each one without a
// screen: first from the queued answers, then with the default answer.
class CMessageBoxRecorder {
public:
    explicit CMessageBoxRecorder(int answer = IDOK)
        : m_answer(answer),
          m_previous(SetMessageBoxHandler([this](const MessageBoxCall& call) { return Answer(call); }))
    {
    }
    ~CMessageBoxRecorder() { SetMessageBoxHandler(m_previous); }
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    void SetAnswer(int answer) { m_answer = answer; }
    void QueueAnswers(std::initializer_list<int> answers) { m_queued.insert(m_queued.end(), answers); }
    // Runs while a box is "open", before it is answered.
    void SetOnShow(std::function<void(const MessageBoxCall&)> onShow) { m_onShow = std::move(onShow); }

    const std::vector<MessageBoxCall>& Calls() const { return m_calls; }
    int Count() const { return static_cast<int>(m_calls.size()); }
    QStringList Texts() const
    {
        QStringList texts;
        for (const MessageBoxCall& call : m_calls)
            texts << call.text;
        return texts;
    }
    void Clear() { m_calls.clear(); }

private:
    int Answer(const MessageBoxCall& call)
    {
        m_calls.push_back(call);
        if (m_onShow)
            m_onShow(call);
        if (m_queued.empty())
            return m_answer;
        const int answer = m_queued.front();
        m_queued.pop_front();
        return answer;
    }

    int m_answer;
    std::deque<int> m_queued;
    std::function<void(const MessageBoxCall&)> m_onShow;
    std::vector<MessageBoxCall> m_calls;
    MessageBoxHandler m_previous;
};
