#include "FormTestSupport.h"
#include "forms/QORApplication.h"
#include "forms/QORForms.h"
#include "foundation/ApplicationEvents.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A widget whose event handler fails, as a window's handler might.
class TFailingWidget : public QWidget
{
protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() == QEvent::User)
            throw E_QOR_LoadingError(QStringLiteral("File name='a.cpd'"));
        return QWidget::event(Event);
    }
};

class ApplicationExceptions : public FormTest
{
protected:
    // Sends an event whose handler raises; the application hands the exception on.
    void FailInAnEventHandler()
    {
        QEvent Event(QEvent::User);
        QCoreApplication::sendEvent(&Failing, &Event);
    }

    TExceptionHandler Recorder(const QString& Name)
    {
        return [this, Name](void*, const std::exception_ptr& Error) {
            Received.append(Name + ": " + GetExceptionReport(Error));
        };
    }

    TFailingWidget Failing;
    QStringList Received;
};

TEST_F(ApplicationExceptions, OnlyTheLaterOfTwoFormsHandlesAndTheEarlierReturnsWhenItGoes)
{
    TQORForm Earlier;
    Earlier.SetOnException(Recorder("earlier"));
    auto Later = std::make_unique<TQORForm>();
    Later->SetOnException(Recorder("later"));

    FailInAnEventHandler();
    Later.reset();
    FailInAnEventHandler();

    EXPECT_EQ(Received,
              QStringList({"later: Loading error. File name='a.cpd'.", "earlier: Loading error. File name='a.cpd'."}));
    EXPECT_TRUE(MessageTexts().isEmpty());
}

TEST_F(ApplicationExceptions, SettingAHandlerAgainMakesTheFormTheMostRecent)
{
    TQORForm First;
    TQORForm Second;
    First.SetOnException(Recorder("first"));
    Second.SetOnException(Recorder("second"));
    First.SetOnException(Recorder("first again"));

    FailInAnEventHandler();
    First.SetOnException({});
    FailInAnEventHandler();

    EXPECT_EQ(
        Received,
        QStringList({"first again: Loading error. File name='a.cpd'.", "second: Loading error. File name='a.cpd'."}));
}

// With no handler registered, the failure is still shown rather than lost.
TEST_F(ApplicationExceptions, WithoutAHandlerTheReportIsShown)
{
    FailInAnEventHandler();
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, "Loading error. File name='a.cpd'.");
    EXPECT_EQ(Seam.Messages[0].Caption, "");
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
}

TEST_F(ApplicationExceptions, SilentAbortReachesNobody)
{
    TQORForm Form;
    Form.SetOnException(Recorder("form"));
    GuardedEvent([] { throw ERuntime(TRuntimeErrorKind::Abort, QString()); });
    EXPECT_TRUE(Received.isEmpty());
    EXPECT_TRUE(MessageTexts().isEmpty());
}

TEST_F(ApplicationExceptions, FormsHoldTheOtherRegistrationsWhileTheyLive)
{
    const int Before = ApplicationEvents().OnIdle().Count();
    {
        TQORForm Form;
        Form.SetOnIdle([](void*, bool&) {});
        Form.SetOnActivate([](void*) {});
        EXPECT_EQ(ApplicationEvents().OnIdle().Count(), Before + 1);
    }
    EXPECT_EQ(ApplicationEvents().OnIdle().Count(), Before);
    EXPECT_EQ(ApplicationEvents().OnActivate().Count(), 0);
}

} // namespace
