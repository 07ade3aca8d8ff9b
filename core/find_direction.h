#pragma once

// Which way a find-next moves through a list or a text.
enum class FindDirection { Up, Down };
