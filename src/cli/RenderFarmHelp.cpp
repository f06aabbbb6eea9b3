#include "cli/RenderFarmHelp.h"

std::string RenderFarmHelp() {
  return R"help(Render farms and several machines:
  Split the frames into chunks and run one task per chunk:
      fovara-render render PROJECT.fvz --frames A-B --skip-existing --quiet
  Frames count from 0 to the number of images minus 1 (see 'fovara-render show').
  The project, its images and depth files and the output folder must be on storage
  every machine sees, under the same paths (or give -o with a shared path). Each
  frame is written under a hidden temporary name (.NAME.part-...) and renamed when
  complete, so a frame file is never half written; a task killed and run again
  renders only the frames it had not finished. The exit status is 0 only when every
  frame of the chunk was written or kept.

  Slurm job array, 10 frames a task (last frame 99 here; the array runs to last / chunk):
      #!/bin/bash
      #SBATCH --array=0-9
      #SBATCH --cpus-per-task=4
      project=/shared/shot.fvz chunk=10 last=99
      first=$((SLURM_ARRAY_TASK_ID * chunk))
      end=$((first + chunk - 1 < last ? first + chunk - 1 : last))
      fovara-render render "$project" --frames $first-$end --skip-existing \
          --quiet --threads $SLURM_CPUS_PER_TASK

  GNU parallel, 10 frames a task, 4 at a time (add -S host1,host2 for other machines):
      last=99
      for f in $(seq 0 10 $last); do echo "$f-$((f + 9 < last ? f + 9 : last))"; done |
          parallel -j4 fovara-render render /shared/shot.fvz --frames {} --skip-existing --quiet

  Farm managers that run one command line per task (OpenCue, Flamenco, Deadline):
  a job of frames 0 to 99 in chunks, each task running
      fovara-render render /shared/shot.fvz --frames <START>-<END> --skip-existing --quiet
  with the manager's start and end frame of the chunk in place of <START> and <END>.
  A failed task (non-zero exit) can simply be retried.)help";
}
