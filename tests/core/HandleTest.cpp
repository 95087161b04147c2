#include "core/Handle.h"

#include <gtest/gtest.h>

namespace {

TEST(Handle, ClosingKeepsTheCallersLastError) {
    TKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    SetLastError(ERROR_ACCESS_DENIED);
    event.Reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(event);
}

TEST(Handle, MoveTransfersOwnership) {
    TKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = first.Get();
    TKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), raw);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags)) << "the moved handle must still be open";
}

} // namespace
