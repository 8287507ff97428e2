# SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
# SPDX-License-Identifier: GPL-3.0-or-later
# The KML part-number test compares the reader with a direct reading of the XML tree.
find_package(pugixml REQUIRED)
target_link_libraries(test_exchange_kml_parts PRIVATE pugixml::pugixml)
