#pragma once

#include <QDialog>

namespace plat::ui {

// A modal window with a creation step and a closing step, each run once.
//
// Creation (FormCreate) opens what the window works on; it runs after the
// window is built, from showModal() or an explicit create(), never in a
// constructor: a constructor that throws runs no destructor, and what
// creation opened would stay open. A creation that fails is closed again
// (FormClose) before the failure goes on to the caller.
//
// Closing (FormClose) gives back what creation opened. It runs once, when the
// window is closed by done() (accept, reject), and otherwise when the window
// is destroyed; a form that was never created closes nothing.
class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);

    // Runs FormCreate once; later calls do nothing.
    void create();
    bool created() const { return m_created; }

    // Closes (FormClose, a failure shown in the general error report), then
    // ends the window with this result.
    void done(int result) override;

protected:
    virtual void FormCreate() {}
    virtual void FormClose() {}

    // For the destructor of every derived form that closes something: C++
    // runs no override from the base's destructor. Runs FormClose when it has
    // not run yet; a failure there is logged, for a destructor cannot throw.
    void closeOnDestroy() noexcept;

private:
    void closeOnce();

    bool m_created = false;
    bool m_closed = false;
};

} // namespace plat::ui
