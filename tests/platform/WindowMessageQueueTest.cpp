// WindowMessageQueue: messages come out in order, a peek never waits, and a wait ends when
// another thread posts.
#include "platform/WindowMessageQueue.h"

#include "platform/Window.h"

#include <gtest/gtest.h>

#include <thread>

TEST(WindowMessageQueueTest, OrderPeekAndWait)
{
    WindowMessageQueue queue;
    WindowMessage message;
    EXPECT_FALSE(queue.Peek(message));
    Window window;
    queue.Post({&window, WM_SIZE, SIZE_MINIMIZED, 0});
    queue.Post({nullptr, WM_CHAR, 'a', 1});
    ASSERT_TRUE(queue.Peek(message));
    EXPECT_EQ(message.window, &window);
    EXPECT_EQ(message.message, WM_SIZE);
    queue.Wait(message);
    EXPECT_EQ(message.wParam, uintptr_t('a'));
    EXPECT_TRUE(queue.IsEmpty());

    std::thread poster([&] { queue.Post({nullptr, WM_DESTROY, 0, 0}); });
    queue.Wait(message);
    poster.join();
    EXPECT_EQ(message.message, WM_DESTROY);
}

TEST(WindowMessageQueueTest, WindowShowAnswersWhetherItWasVisible)
{
    Window window;
    EXPECT_EQ(window.Show(SW_HIDE), 1);
    EXPECT_EQ(window.Show(SW_HIDE), 0);
    EXPECT_FALSE(window.IsVisible());
    EXPECT_EQ(window.Show(SW_SHOW), 0);
    EXPECT_EQ(window.Show(SW_MINIMIZE), 1);
    EXPECT_TRUE(window.IsMinimized());
    EXPECT_EQ(window.GetShowCalls(), 4);
}
