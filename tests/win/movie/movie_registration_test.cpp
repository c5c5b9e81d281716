#include <gtest/gtest.h>

#include "common/movie_ids.h"
#include "movie_test_support.h"
#include "test_container.h"

namespace zp::test {
namespace {

bool Creatable() {
  ComPtr<IUnknown> control;
  return SUCCEEDED(CoCreateInstance(zp::movie::kMovieControlClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(control.GetAddressOf())));
}

TEST(MovieRegistration, Regsvr32RegistersAndUnregisters) {
  // The environment registered the control already.
  EXPECT_EQ(_wcsicmp(RegisteredServerPath().c_str(), ControlPath().c_str()), 0) << RegisteredServerPath();
  EXPECT_TRUE(Creatable());

  ASSERT_TRUE(Regsvr32(ControlPath(), true));
  EXPECT_EQ(RegisteredServerPath(), L"");
  ComPtr<IUnknown> control;
  EXPECT_EQ(CoCreateInstance(zp::movie::kMovieControlClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(control.GetAddressOf())),
            REGDB_E_CLASSNOTREG);
  // Unregistering what is not registered is harmless.
  EXPECT_TRUE(Regsvr32(ControlPath(), true));

  ASSERT_TRUE(Regsvr32(ControlPath(), false));
  EXPECT_TRUE(Creatable());
  // The name by which scripts create it.
  CLSID byName{};
  EXPECT_EQ(CLSIDFromProgID(zp::movie::kProgId, &byName), S_OK);
  EXPECT_TRUE(IsEqualCLSID(byName, zp::movie::kMovieControlClsid));
}

}  // namespace
}  // namespace zp::test
