#include "options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

rvCommand parse(std::vector<const char*> args, rvCaptureOptions* options, std::string* error) {
    args.insert(args.begin(), "brindle");
    return rvParseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}

} // namespace

// Without options the designed command line stands (a model name is not an option); the
// capture takes its values, and every malformed line is refused with a reason.
TEST(CommandLine, OptionsOnlyWithCaptureAndEachValueChecked) {
    rvCaptureOptions options;
    std::string error;
    EXPECT_EQ(parse({}, &options, &error), rvCommand::kRun);
    EXPECT_EQ(parse({"meshes/hero.MSH"}, &options, &error), rvCommand::kRun);
    EXPECT_EQ(parse({"--help"}, &options, &error), rvCommand::kHelp);

    ASSERT_EQ(parse({"--capture", "a.png"}, &options, &error), rvCommand::kCapture);
    EXPECT_EQ(options.output, "a.png");
    EXPECT_EQ(options.renderer, "direct3d");
    EXPECT_EQ(options.frames, 30);
    ASSERT_EQ(
        parse({"--renderer", "opengl", "--frames", "5", "--model", "m.MSH", "--capture", "b.png"},
              &options, &error),
        rvCommand::kCapture);
    EXPECT_EQ(options.output, "b.png");
    EXPECT_EQ(options.renderer, "opengl");
    EXPECT_EQ(options.frames, 5);
    EXPECT_EQ(options.model, "m.MSH");

    const std::vector<std::vector<const char*>> wrong = {
        {"--capture"},
        {"--capture", "c.png", "--renderer", "vulkan"},
        {"--frames", "5"},
        {"--capture", "c.png", "--frames", "0"},
        {"--capture", "c.png", "--frames", "12x"},
        {"--capture", "c.png", "--fps", "3"},
        {"--model", "m.MSH"}};
    for (const auto& args : wrong) {
        error.clear();
        EXPECT_EQ(parse(args, &options, &error), rvCommand::kError) << args.back();
        EXPECT_FALSE(error.empty());
    }
}
