// korvale_planning
