// korvale_georef
